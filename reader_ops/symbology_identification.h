#pragma once

#include "reader_ops/operation_context.h"

#include <QStringList>

// The 40 commands that make the reader prefix what it decodes with STX and a family digit.
QStringList identificationCommands();

// Sets the reader up, asks the operator to present a barcode, reads it ("S7") for 24 ticks,
// restores the reader ("1Y") and names the family with the decoded data.
void runIdentification(OperationContext& context);
