#include "reader_ops/verification.h"

#include "link/reader_link.h"
#include "reader_ops/settings_report.h"

VerificationOutcome runVerification(OperationContext& context) {
    ReaderLink& link = context.link;
    const QString reply = link.collectReply(QStringLiteral("Z3"), kVerificationTicks,
                                            ReaderLink::EarlierInput::Discard);
    ReaderState& state = context.state;
    const VerificationJudgement judgement = judgeVerification(
        reply, state.DefaultSettings, QString::fromLatin1(kExpectedFirmware), link.currentPort);

    if (judgement.firmware) {
        state.FWVersion = *judgement.firmware;
        context.showFirmware(state.FWVersion);
    }
    if (judgement.settings)
        state.ReaderSettings = *judgement.settings;
    for (const VerificationStep& step : judgement.steps) {
        if (step.kind == VerificationStep::Kind::Warning)
            context.prompter.warn(step.text, step.details);
        else
            context.showStatus(step.online);
    }

    if (!judgement.writesReport())
        return judgement.outcome;
    saveSettingsReport(context);
    return judgement.outcome;
}
