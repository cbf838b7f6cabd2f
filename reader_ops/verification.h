#pragma once

#include "reader_ops/operation_context.h"

// How far a verification got; only SettingsRead means ReaderSettings holds this reader's words.
enum class VerificationOutcome {
    NoResponse, // no "Ver." in the reply
    NoSettings, // an identifier, but no complete settings block
    SettingsRead,
};

// Asks the reader for its firmware identifier and settings words ("Z3"), warns about
// differences from the expected configuration, sets the status and rewrites the report.
VerificationOutcome runVerification(OperationContext& context);
