#pragma once

#include "protocol/settings_words.h"

#include <QByteArray>

// How the symbology commands change the settings words. Each symbology has enable bits:
//   word 9 bit 0 Code 39 (B2, A2)        word 10 bit 0 Codabar (B3, A3)
//   word 11 bit 0 Interleaved 2 of 5 (R7, J7), bit 2 its companion (R8), bit 8 IATA (B4, A4)
//   word 12 bit 8 Code 93 (B5)           word 13 bit 0 Code 128 (B6, A6)
//   word 14 bit 0 MSI/Plessey (B7, A7)
//   words 5 and 6 UPC-A and UPC-E, word 7 EAN: bit 0 plain, bit 8 with a 2-digit add-on,
//   bit 12 with a 5-digit add-on; R1/J1 UPC, R2 and R3 its add-ons, R4 EAN, R5 and R6 its add-ons.
// "B0" clears every enable bit; every other command sets its bits and nothing else, so the
// codes of a first position enable exactly like the others. The standard words have every
// symbology but MSI/Plessey on, with no add-ons.
// Returns false, leaving the words alone, for a code that is not a symbology command.
bool applySymbologyCommand(const QByteArray& code, SettingsWords& words);
