#pragma once

#include "reader_ops/operation_context.h"
#include "reader_ops/verification_judgement.h"

// Asks the reader for its firmware identifier and settings words ("Z3"), warns about
// differences from the expected configuration, sets the status and rewrites the report.
VerificationOutcome runVerification(OperationContext& context);
