#pragma once

#include "reader_ops/exchange.h"
#include "reader_ops/operation_context.h"
#include "reader_ops/prompter.h"

// Ticks between the end of the verification and "Z2".
inline constexpr int kSaveSettleTicks = 5;

// The question asked before the reader's settings become its power-on defaults.
Prompt saveConfirmationPrompt();

// The question; on OK the verification (its reply to `onVerificationReply`), 5 ticks counted
// from its end, then "Z2". The verification's outcome does not stop the save.
Exchange permanentSaveExchange(std::function<void(const QString& reply)> onVerificationReply);

enum class SaveOutcome {
    Cancelled, // the operator said no: nothing was sent
    Sent,      // "Z2" went out
    NotSent,   // the port was closed, or lost during the waits: the settings were not saved
};

SaveOutcome saveOutcome(const ExchangeOutcome& outcome);

// The save as the window plays it, with the window's reading of the verification.
SaveOutcome runPermanentSave(OperationContext& context);
