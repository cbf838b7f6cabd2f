#include "protocol/hex_to_long.h"

namespace {
int hexDigitValue(char16_t c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}
} // namespace

qint32 HexToLong(QStringView text) {
    // Unsigned arithmetic: overlong input wraps instead of overflowing a signed value.
    quint32 value = 0;
    for (QChar c : text) {
        const int digit = hexDigitValue(c.unicode());
        if (digit < 0)
            break;
        value = value * 16u + static_cast<quint32>(digit);
    }
    return static_cast<qint32>(value);
}
