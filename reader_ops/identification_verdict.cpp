#include "reader_ops/identification_verdict.h"

#include "reader_ops/message_text.h"

namespace {
constexpr QChar kStx = u'\x02';
constexpr QChar kLineBreak = u'\r';

Prompt identifyPrompt(const QString& text, Prompt::Icon icon = Prompt::Icon::None) {
    return {Messages::tr("Identify Symbology"), text, icon, Prompt::Buttons::Ok};
}

} // namespace

QString identificationFamilyName(int digit) {
    switch (digit) {
    case 1:
        return QStringLiteral("Code 39");
    case 2:
        return QStringLiteral("Codabar");
    case 3:
        return QStringLiteral("2 of 5");
    case 4:
        return QStringLiteral("Code 128");
    case 5:
        return QStringLiteral("UPC");
    case 6:
        return QStringLiteral("EAN");
    default:
        return {};
    }
}

int identificationFamilyDigit(const QString& reply) {
    if (reply.size() < 2 || reply.at(0) != kStx)
        return 0;
    const char16_t second = reply.at(1).unicode();
    return second >= u'0' && second <= u'9' ? second - u'0' : 0;
}

std::optional<Prompt> identificationVerdict(const QString& reply) {
    if (reply.size() < 2)
        return identifyPrompt(Messages::tr("The Barcode was not decoded"),
                              Prompt::Icon::Exclamation);
    const int digit = identificationFamilyDigit(reply);
    const QString decode = Messages::tr("Decode: ");
    if (digit == 0) {
        return identifyPrompt(Messages::tr("The symbology is Unknown") + kLineBreak +
                              QStringLiteral("MSI/Plessy, IATA, Code 93") + kLineBreak + decode +
                              reply);
    }
    const QString family = identificationFamilyName(digit);
    if (family.isEmpty())
        return std::nullopt;
    return identifyPrompt(Messages::tr("The symbology is %1").arg(family) + kLineBreak + decode +
                          reply.mid(2));
}
