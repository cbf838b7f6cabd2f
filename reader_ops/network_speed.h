#pragma once

#include "reader_ops/operation_context.h"

// A reader behind a network too slow to judge it: the operator is told so, with the round trip,
// and the operation sends nothing, rather than blame a reader that may well be answering.
// False when the line is fit (any local one is).
bool refuseSlowNetwork(OperationContext& context);
