#pragma once

#include "reader_ops/exchange.h"
#include "reader_ops/operation_context.h"
#include "reader_ops/verification_judgement.h"

// Ticks the reader's reply to "Z3" is collected for.
inline constexpr int kVerificationTicks = 10;

// "Z3", collected for 10 ticks with what came before it discarded; `onReply` gets the reply.
Exchange verificationExchange(std::function<void(const QString& reply)> onReply);

// The window's reading of a reply to "Z3": keeps the identifier and the words, warns about
// differences, sets the status and rewrites the report.
VerificationOutcome applyVerification(OperationContext& context, const QString& reply);

// The verification exchange, played on tick waits, and its reading.
VerificationOutcome runVerification(OperationContext& context);
