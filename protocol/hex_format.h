#pragma once

#include <QByteArray>
#include <QtGlobal>

// Upper-case hexadecimal, padded with zeros to four digits: how settings words and scan counts
// are written on the line and in listings.
QByteArray fourDigitHex(quint32 value);
