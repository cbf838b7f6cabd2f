// Hexadecimal fields, as Latin-1 from the line and as any UTF-16 text.
#include "fuzz_input.h"
#include "protocol/hex_to_long.h"

#include <QString>

#include <cctype>

namespace {
// The leading hexadecimal digits, read by Qt: the last eight decide the wrapped value.
quint32 expected(QStringView text) {
    qsizetype digits = 0;
    while (digits < text.size() && text[digits].unicode() < 0x80 &&
           std::isxdigit(text[digits].unicode()))
        ++digits;
    if (digits == 0)
        return 0;
    const QStringView tail = text.first(digits).last(qMin<qsizetype>(digits, 8));
    bool ok = false;
    const quint32 value = tail.toString().toUInt(&ok, 16);
    FUZZ_CHECK(ok);
    return value;
}

void check(QStringView text) {
    FUZZ_CHECK(quint32(HexToLong(text)) == expected(text));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = fuzzBytes(data, size);
    check(QString::fromLatin1(bytes));
    check(QStringView(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2));
    return 0;
}
