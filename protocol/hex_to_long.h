#pragma once

#include <QString>
#include <QtGlobal>

// Hexadecimal digits (either case) to a number; the first non-digit ends the conversion.
// An empty text gives 0. Longer texts wrap as an unsigned 32-bit value would.
qint32 HexToLong(QStringView text);
