#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <array>

// One row of the symbology dialog: the settings bits that tick its box, and its commands.
struct SymbologyRow {
    QString caption;    // the symbology's name, as its box and the commands show it
    QList<int> entries; // ReaderSettings entries tested with `mask`; any match ticks the box
    quint32 mask;
    QStringList onTicking; // sent at once when the operator ticks the box
    QString firstPosition; // on "OK", when it is the first row to have one; may be empty
    QString otherCode;     // on "OK" otherwise
    QString thenAlso;      // on "OK" after either code; may be empty
};

inline constexpr int kSymbologyCount = 8;

// Rows in box order: Code 39, Codabar, IL 2 of 5, Code 128, UPC/EAN, MSI/Plessy, Code 93, IATA.
const std::array<SymbologyRow, kSymbologyCount>& symbologyRows();
