#pragma once

#include "reader_ops/exchange.h"
#include "reader_ops/operation_context.h"

#include <QStringList>

// Ticks after the set-up before the operator is asked, and ticks the read is collected for.
inline constexpr int kIdentificationSetupTicks = 4;
inline constexpr int kIdentificationReadTicks = 24;

// The prompt to present the barcode.
Prompt presentBarcodePrompt();

// The 40 commands that make the reader prefix what it decodes with STX and a family digit.
QStringList identificationCommands();

// Sets the reader up (what it answers is not collected), asks the operator to present a
// barcode, reads it ("S7", earlier input kept) for 24 ticks into `onRead`, restores the reader
// ("1Y").
Exchange identificationExchange(std::function<void(const QString& read)> onRead);

// The exchange on tick waits, then the family with the decoded data in a box.
void runIdentification(OperationContext& context);
