#include "reader_ops/symbology_identification.h"

#include "reader_ops/message_text.h"

#include "link/reader_link.h"
#include "reader_ops/exchange_runner.h"
#include "reader_ops/identification_verdict.h"
#include "reader_ops/network_speed.h"

namespace {
struct FamilyGroup {
    const char* opener;
    char digit;
};

// Each group selects a symbology and gives it its family digit ("Q" and the digit).
constexpr FamilyGroup kGroups[] = {
    {"M4", '1'}, {"M5", '2'}, {"M6", '3'}, {"M7", '3'}, {"M9", '4'}, {"N1", '5'}, {"M0", '5'},
    {"N2", '5'}, {"M1", '5'}, {"N3", '6'}, {"M2", '6'}, {"N4", '6'}, {"M3", '6'},
};
} // namespace

Prompt presentBarcodePrompt() {
    return {Messages::tr("Identify Symbology"),
            Messages::tr("Present the Barcode to be identified to the scanner") + QChar(u'\r') +
                Messages::tr("Then click OK"),
            Prompt::Icon::None, Prompt::Buttons::Ok};
}

QStringList identificationCommands() {
    QStringList commands = {QStringLiteral("S8"), QStringLiteral("B2")};
    bool first = true;
    for (const FamilyGroup& group : kGroups) {
        commands << QLatin1String(group.opener);
        if (!first)
            commands << QStringLiteral("1A");
        commands << QStringLiteral("Q") + QLatin1Char(group.digit);
        first = false;
    }
    return commands;
}

Exchange identificationExchange(std::function<void(const QString& read)> onRead) {
    return Exchange()
        .send(identificationCommands())
        .wait(kIdentificationSetupTicks)
        .forget()
        .ask(presentBarcodePrompt())
        .collect(QStringLiteral("S7"), kIdentificationReadTicks, ReaderLink::EarlierInput::Keep,
                 std::move(onRead))
        .send({QStringLiteral("1Y")});
}

void runIdentification(OperationContext& context) {
    if (refuseSlowNetwork(context))
        return;
    QString read;
    playExchange(context.link, context.prompter,
                 identificationExchange([&read](const QString& reply) { read = reply; }));
    if (const auto verdict = identificationVerdict(read))
        context.prompter.show(*verdict);
}
