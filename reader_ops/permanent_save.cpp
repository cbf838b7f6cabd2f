#include "reader_ops/permanent_save.h"

#include "link/reader_link.h"
#include "reader_ops/verification.h"

Prompt saveConfirmationPrompt() {
    const QChar cr = u'\r';
    return {QStringLiteral("Warning"),
            QStringLiteral("This will save the current settings") + cr +
                QStringLiteral("permanently as the power on defaults!") + cr +
                QStringLiteral("Are you sure you want to do this?"),
            Prompt::Icon::Exclamation, Prompt::Buttons::OkCancel};
}

SaveOutcome runPermanentSave(OperationContext& context) {
    if (context.prompter.show(saveConfirmationPrompt()) != PromptAnswer::Ok)
        return SaveOutcome::Cancelled;
    runVerification(context);
    ReaderLink& link = context.link;
    // Counted from the end of the verification, its message boxes included.
    link.tickWait(link.ticks() + kSaveSettleTicks);
    return link.SendCommand(QStringLiteral("Z2")) ? SaveOutcome::Sent : SaveOutcome::NotSent;
}
