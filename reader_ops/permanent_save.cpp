#include "reader_ops/permanent_save.h"

#include "link/reader_link.h"
#include "reader_ops/exchange_runner.h"
#include "reader_ops/message_text.h"
#include "reader_ops/network_speed.h"
#include "reader_ops/verification.h"

Prompt saveConfirmationPrompt() {
    const QChar cr = u'\r';
    return {Messages::tr("Warning"),
            Messages::tr("This will save the current settings") + cr +
                Messages::tr("permanently as the power on defaults!") + cr +
                Messages::tr("Are you sure you want to do this?"),
            Prompt::Icon::Exclamation, Prompt::Buttons::OkCancel};
}

Exchange permanentSaveExchange(std::function<void(const QString& reply)> onVerificationReply) {
    // The settling wait counts from the end of the verification, its message boxes included.
    return Exchange()
        .ask(saveConfirmationPrompt())
        .then(verificationExchange(std::move(onVerificationReply)))
        .wait(kSaveSettleTicks)
        .send({QStringLiteral("Z2")});
}

SaveOutcome saveOutcome(const ExchangeOutcome& outcome) {
    if (outcome.end == ExchangeOutcome::End::Cancelled)
        return SaveOutcome::Cancelled;
    return outcome.delivered() ? SaveOutcome::Sent : SaveOutcome::NotSent;
}

SaveOutcome runPermanentSave(OperationContext& context) {
    if (refuseSlowNetwork(context))
        return SaveOutcome::NotSent;
    return saveOutcome(playExchange(
        context.link, context.prompter,
        permanentSaveExchange([&](const QString& reply) { applyVerification(context, reply); })));
}
