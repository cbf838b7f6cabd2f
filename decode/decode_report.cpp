#include "decode/decode_report.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {
bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}
} // namespace

double lenientNumber(QStringView text) {
    std::string number;
    bool digits = false;
    bool point = false;
    bool significant = false; // a non-zero digit before the point
    for (const QChar c : text) {
        if (isBlank(c))
            continue;
        if ((c == u'+' || c == u'-') && number.empty()) {
            number += char(c.unicode());
        } else if (isDigit(c)) {
            digits = true;
            significant = significant || (!point && c != u'0');
            number += char(c.unicode());
        } else if (c == u'.' && !point) {
            point = true;
            number += '.';
        } else {
            break;
        }
    }
    if (!digits)
        return 0;
    // from_chars takes no leading plus and, unlike strtod, ignores the locale.
    const bool negative = number.front() == '-';
    const char* first = number.data() + (number.front() == '+' || negative ? 1 : 0);
    const char* last = number.data() + number.size();
    double value = 0;
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::fixed);
    if (error == std::errc::result_out_of_range)
        value = significant ? std::numeric_limits<double>::infinity() : 0.0;
    else if (error != std::errc())
        value = 0;
    return negative ? -value : value;
}

std::optional<DecodeReport> parseDecodeReport(QStringView text) {
    static constexpr QStringView kOk = u"Ok:";
    const qsizetype ok = text.indexOf(kOk);
    const qsizetype percent = text.indexOf(u'%');
    // A "%" ahead of the percentage leaves no percentage to read.
    if (ok < 0 || percent < ok + kOk.size())
        return std::nullopt;
    DecodeReport report;
    const qsizetype start = ok + kOk.size();
    report.percentage = lenientNumber(text.mid(start, percent - start));
    // One character after the "%" is skipped, and the last character is dropped.
    const qsizetype dataStart = percent + 2;
    if (dataStart < text.size())
        report.data = text.mid(dataStart, text.size() - dataStart - 1).toString();
    return report;
}

double whiteFraction(double percentage) {
    const double fraction = 1 - percentage / 100;
    if (std::isnan(fraction))
        return 1;
    return std::clamp(fraction, 0.0, 1.0);
}
