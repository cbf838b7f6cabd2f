#include "reader_ops/verification_judgement.h"

#include "link/line_log.h"
#include "link/port_address.h"
#include "reader_ops/message_text.h"
#include "reader_ops/settings_differences.h"
#include "reader_ops/verification_reply.h"

#include <QStringList>

namespace {
constexpr QChar kLineBreak = u'\r';

VerificationStep warning(const QString& text, const QString& details = {}) {
    return {VerificationStep::Kind::Warning, text, false, details};
}
VerificationStep status(bool online) {
    return {VerificationStep::Kind::Status, {}, online, {}};
}
} // namespace

bool VerificationJudgement::online() const {
    for (auto step = steps.crbegin(); step != steps.crend(); ++step) {
        if (step->kind == VerificationStep::Kind::Status)
            return step->online;
    }
    return false;
}

QStringList VerificationJudgement::warnings() const {
    QStringList texts;
    for (const VerificationStep& step : steps) {
        if (step.kind == VerificationStep::Kind::Warning)
            texts << step.text;
    }
    return texts;
}

QString badFieldsText(const QList<VerificationReply::BadField>& fields) {
    QStringList lines;
    for (const VerificationReply::BadField& field : fields) {
        lines << QStringLiteral("Word %1 is not four hexadecimal digits: \"%2\"")
                     .arg(field.word)
                     .arg(printableBytes(field.text.toLatin1()));
    }
    return lines.join(kLineBreak);
}

VerificationJudgement judgeVerification(const QString& reply, const SettingsTable& expected,
                                        const QString& expectedFirmware, qint16 port) {
    return judgeVerification(reply, expected, expectedFirmware, ComPort{port}.label());
}

VerificationJudgement judgeVerification(const QString& reply, const SettingsTable& expected,
                                        const QString& expectedFirmware, const QString& portName) {
    VerificationJudgement judgement;
    const VerificationReply parsed = parseVerificationReply(reply);
    if (!parsed.hasVersion) {
        judgement.steps = {
            warning(Messages::tr("No Response from Barcode Reader on %1").arg(portName)),
            status(false)};
        return judgement;
    }
    const QString invalid = Messages::tr("Invalid Response from Barcode Reader");
    judgement.outcome = VerificationOutcome::NoSettings;
    if (parsed.identifierCut) {
        // The reply broke off right after its marker: nothing in it can be trusted.
        judgement.steps = {warning(invalid), status(false)};
        return judgement;
    }

    judgement.firmware = parsed.firmware;
    judgement.firmwareMatches = parsed.firmware == expectedFirmware;
    const bool blockRead = parsed.block == VerificationReply::Block::Valid;
    if (blockRead) {
        judgement.outcome = VerificationOutcome::SettingsRead;
        SettingsTable read = expected;
        std::copy(parsed.words.begin(), parsed.words.end(), read.begin());
        judgement.settings = read;
        judgement.badFields = parsed.badFields;
        for (int k = 0; k < kSettingsWordCount; ++k) {
            if (read[k] != expected[k])
                judgement.differences.append({k, expected[k], read[k]});
        }
    } else {
        // Words that were not read from this reader are neither compared nor reported.
        judgement.steps << warning(invalid) << status(false);
    }
    if (!judgement.firmwareMatches) {
        judgement.steps << warning(Messages::tr("Firmware version is %1").arg(parsed.firmware) +
                                   kLineBreak + Messages::tr("Expecting %1").arg(expectedFirmware));
    }
    if (!judgement.differences.isEmpty()) {
        QString details = settingsDifferencesText(judgement.differences);
        if (!judgement.badFields.isEmpty())
            details += kLineBreak + badFieldsText(judgement.badFields);
        judgement.steps << warning(Messages::tr(kSettingsDifferWarning), details);
    }
    judgement.steps << status(true);
    return judgement;
}
