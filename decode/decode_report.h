#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// What one decode report says: the percentage after "Ok:" and the decoded data after the "%".
// No window and no line involved.
struct DecodeReport {
    double percentage = 0;
    QString data;
};

// The number at the start of `text`, read leniently: blanks are skipped, then a sign, digits
// and one point count up to the first other character; no number at all reads as 0. Too many
// digits give an infinity, never an overflow.
double lenientNumber(QStringView text);

// The report in `text`, or nothing when it has no "Ok:", no "%", or its first "%" stands before
// the end of its first "Ok:". Fewer than two characters after the "%" leave the data empty.
std::optional<DecodeReport> parseDecodeReport(QStringView text);

// How much of the gauge stays white, from the top: 1 - percentage / 100, kept within 0 and 1
// so that no percentage can draw outside the gauge.
double whiteFraction(double percentage);
