#include "protocol/hex_format.h"

QByteArray fourDigitHex(quint32 value) {
    return QByteArray::number(value, 16).toUpper().rightJustified(4, '0');
}
