#include "reader_ops/verification.h"

#include "link/reader_link.h"
#include "reader_ops/default_settings.h"
#include "reader_ops/settings_differences.h"
#include "reader_ops/settings_report.h"
#include "reader_ops/verification_reply.h"

namespace {
constexpr int kCollectTicks = 10;
constexpr QChar kLineBreak = u'\r';
} // namespace

VerificationOutcome runVerification(OperationContext& context) {
    ReaderLink& link = context.link;
    const qint64 deadline = link.ticks() + kCollectTicks;
    link.collectReply = true;
    link.SendCommand(QStringLiteral("Z3"));
    link.discardInput();
    link.replyBuffer.clear();
    link.tickWait(deadline);
    link.collectReply = false;

    const VerificationReply reply = parseVerificationReply(link.replyBuffer);
    if (!reply.hasVersion) {
        context.prompter.warn(
            QStringLiteral("No Response from Barcode Reader on COM%1").arg(link.currentPort));
        context.showStatus(false);
        return VerificationOutcome::NoResponse;
    }
    const QString invalid = QStringLiteral("Invalid Response from Barcode Reader");
    if (reply.identifierCut) {
        // The reply broke off right after its marker: nothing in it can be trusted.
        context.prompter.warn(invalid);
        context.showStatus(false);
        return VerificationOutcome::NoSettings;
    }

    ReaderState& state = context.state;
    state.FWVersion = reply.firmware;
    context.showFirmware(state.FWVersion);

    const bool blockRead = reply.block == VerificationReply::Block::Valid;
    if (blockRead) {
        std::copy(reply.words.begin(), reply.words.end(), state.ReaderSettings.begin());
    } else {
        // Words that were not read from this reader are neither compared nor reported.
        context.prompter.warn(invalid);
        context.showStatus(false);
    }

    const QString expected = QString::fromLatin1(kExpectedFirmware);
    if (state.FWVersion != expected) {
        context.prompter.warn(QStringLiteral("Firmware version is ") + state.FWVersion +
                              kLineBreak + QStringLiteral("Expecting ") + expected);
    }
    const auto differences = settingsDifferences(state.DefaultSettings, state.ReaderSettings);
    if (blockRead && !differences.isEmpty())
        context.prompter.warn(QStringLiteral("Settings are different from Default values"),
                              settingsDifferencesText(differences));

    context.showStatus(true);

    if (!blockRead)
        return VerificationOutcome::NoSettings;
    saveSettingsReport(context);
    return VerificationOutcome::SettingsRead;
}
