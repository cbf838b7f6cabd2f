#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// A barcode held in front of the reader: the family digit the identification set-up gives
// its symbology (1 Code 39, 2 Codabar, 3 2 of 5, 4 Code 128, 5 UPC, 6 EAN; 0 for a symbology
// the set-up leaves without one, such as Code 93, MSI/Plessey or IATA) and its data.
struct PresentedBarcode {
    int family = 0;
    QByteArray data;
};

// What one read sends: STX, the family digit and the data while the identification set-up is
// active and the family has a digit; the bare data otherwise.
QByteArray readOutput(const PresentedBarcode& barcode, bool identifierActive);

// "FAMILY:DATA", FAMILY a digit 0 to 9 or a name (code39, codabar, 2of5, code128, upc, ean,
// none). Nothing, with the reason in *error, when it does not parse.
std::optional<PresentedBarcode> parseBarcode(const QString& text, QString* error);
