#pragma once

#include "reader_ops/exchange.h"
#include "reader_ops/reader_state.h"
#include "symbols/symbology_rows.h"

#include <QStringList>
#include <array>

// Ticked (true) or not, in box order.
using SymbologyBoxes = std::array<bool, kSymbologyCount>;

// Which boxes the reader's settings words mark as on.
SymbologyBoxes boxesFromSettings(const SettingsTable& settings);

// Sent when the operator ticks box `index`; nothing for an index outside 0 to 7.
QStringList commandsOnTicking(int index);

// The complete selection sent on "OK": "B0", then each ticked row's code, the first row that
// has a first-position code using it, followed by the row's extra command.
QStringList selectionCommands(const SymbologyBoxes& ticked);
// The same as an exchange: sent back to back, nothing read.
Exchange selectionExchange(const SymbologyBoxes& ticked);

// How the boxes read back once the reader has taken `ticked`: boxes ticked by the same settings
// bits ("IL 2 of 5" and "IATA") read alike, on when either was ticked.
SymbologyBoxes boxesAfterSelecting(const SymbologyBoxes& ticked);
