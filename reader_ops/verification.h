#pragma once

#include "reader_ops/operation_context.h"
#include "reader_ops/verification_judgement.h"

// Ticks the reader's reply to "Z3" is collected for.
inline constexpr int kVerificationTicks = 10;

// Asks the reader for its firmware identifier and settings words ("Z3"), warns about
// differences from the expected configuration, sets the status and rewrites the report.
VerificationOutcome runVerification(OperationContext& context);
