#include "reader_ops/verification.h"

#include "link/reader_link.h"
#include "reader_ops/exchange_runner.h"
#include "reader_ops/network_speed.h"
#include "reader_ops/settings_report.h"

Exchange verificationExchange(std::function<void(const QString& reply)> onReply) {
    return Exchange().collect(QStringLiteral("Z3"), kVerificationTicks,
                              ReaderLink::EarlierInput::Discard, std::move(onReply));
}

VerificationOutcome applyVerification(OperationContext& context, const QString& reply) {
    ReaderState& state = context.state;
    const VerificationJudgement judgement =
        judgeVerification(reply, state.DefaultSettings, QString::fromLatin1(kExpectedFirmware),
                          context.link.currentPort());

    if (judgement.firmware) {
        state.FWVersion = *judgement.firmware;
        context.showFirmware(state.FWVersion);
    }
    if (judgement.settings)
        state.ReaderSettings = *judgement.settings;
    if (context.showReplyNote && judgement.outcome != VerificationOutcome::NoResponse)
        context.showReplyNote(badFieldsText(judgement.badFields));
    for (const VerificationStep& step : judgement.steps) {
        if (step.kind == VerificationStep::Kind::Warning)
            context.prompter.warn(step.text, step.details);
        else
            context.showStatus(step.online);
    }
    if (judgement.writesReport())
        saveSettingsReport(context);
    return judgement.outcome;
}

VerificationOutcome runVerification(OperationContext& context) {
    VerificationOutcome outcome = VerificationOutcome::NoResponse;
    if (refuseSlowNetwork(context))
        return outcome;
    playExchange(context.link, context.prompter, verificationExchange([&](const QString& reply) {
                     outcome = applyVerification(context, reply);
                 }));
    return outcome;
}
