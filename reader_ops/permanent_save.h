#pragma once

#include "reader_ops/operation_context.h"
#include "reader_ops/prompter.h"

// Ticks between the end of the verification and "Z2".
inline constexpr int kSaveSettleTicks = 5;

// The question asked before the reader's settings become its power-on defaults.
Prompt saveConfirmationPrompt();

enum class SaveOutcome {
    Cancelled, // the operator said no: nothing was sent
    Sent,      // "Z2" went out
    NotSent,   // the port was closed, or lost during the waits: the settings were not saved
};

// After the operator's OK: verifies the reader, gives it 5 ticks, then sends "Z2". The
// verification's outcome does not stop the save.
SaveOutcome runPermanentSave(OperationContext& context);
