#include "symbols/symbology_rows.h"

namespace {
QString s(const char* text) {
    return QLatin1String(text);
}
} // namespace

const std::array<SymbologyRow, kSymbologyCount>& symbologyRows() {
    // Entries 5 to 7 hold 16 bits, so of the UPC/EAN mask only bits 0, 8 and 12 can match.
    static const std::array<SymbologyRow, kSymbologyCount> rows = {{
        {s("Code 39"), {9}, 0x1, {s("B2")}, s("A2"), s("B2"), {}},                    // Code 39
        {s("Codabar"), {10}, 0x1, {s("B3")}, s("A3"), s("B3"), {}},                   // Codabar
        {s("IL 2 of 5"), {11}, 0x101, {s("R7"), s("R8")}, s("J7"), s("R7"), s("R8")}, // IL 2 of 5
        {s("Code 128"), {13}, 0x1, {s("B6")}, s("A6"), s("B6"), {}},                  // Code 128
        {s("UPC, EAN"),
         {5, 6, 7},
         0xF1101,
         {s("R1"), s("R2"), s("R3"), s("R4"), s("R5"), s("R6")},
         s("J1"),
         s("R1"),
         s("R4")},                                                     // UPC, EAN
        {s("MSI/Plessy"), {14}, 0x1, {s("B7")}, s("A7"), s("B7"), {}}, // MSI/Plessy
        {s("Code 93"), {12}, 0x100, {s("B5")}, {}, s("B5"), {}},       // Code 93
        {s("IATA"), {11}, 0x101, {s("B4")}, s("A4"), s("B4"), {}},     // IATA: tested as IL 2 of 5
    }};
    return rows;
}
