#include "align/alignment_report.h"

#include "protocol/hex_to_long.h"
#include "protocol/scan_geometry.h"

#include <algorithm>
#include <cmath>

namespace {
// Every threshold is a fixed share of the scan length.
constexpr double kMiddleStart = 18104; // 0.4
constexpr double kMiddleEnd = 27156;   // 0.6
constexpr double kCentreMinWidth = 724.16;
constexpr double kMaxWidth = 1267.28; // centre element and side marks
constexpr double kNeighboursMin = 1629.36;
constexpr double kNeighboursMax = 3303.98;
constexpr double kMarkMinWidth = 633.64;
constexpr double kStartSideBefore = 14483.2;
constexpr double kEndSideAfter = 28966.4;
constexpr double kSpacingSpan = 2715.6;

constexpr qint16 kMaxFields = 101;
constexpr int kFieldWidth = 5;

// Middle of two edges; a half goes to the even neighbour.
qint32 middle(qint32 a, qint32 b) {
    return static_cast<qint32>(std::nearbyint((double(a) + double(b)) / 2.0));
}

bool isMarkWidth(qint32 width) {
    return width >= kMarkMinWidth && width <= kMaxWidth;
}

// The first odd element that starts where `isCandidate` says and is as wide as a mark.
template <typename Where> int findMark(const AlignmentMeasure& m, Where isCandidate) {
    for (int i = 1; i <= m.n - 1; i += 2) {
        const auto at = static_cast<std::size_t>(i);
        if (isCandidate(double(m.E[at])) && isMarkWidth(m.E[at + 1] - m.E[at]))
            return i;
    }
    return -1;
}

void buildEdges(QStringView body, AlignmentMeasure& m) {
    if (m.n < 1)
        return; // no field to read: a report in which nothing is found
    const int last = m.n % 2 ? m.n : m.n - 1;
    m.E[static_cast<std::size_t>(last)] = kScanLength;
    for (int k = last - 1; k >= 0; --k) {
        const auto at = static_cast<std::size_t>(k);
        m.E[at] = m.E[at + 1] - HexToLong(body.mid(qsizetype(k) * kFieldWidth).left(4));
    }
}

void findCentre(AlignmentMeasure& m) {
    // Index 0 has no element before it, so it can never have two neighbours.
    for (int i = 2; i <= m.n; i += 2) {
        const auto at = static_cast<std::size_t>(i);
        const double start = m.E[at];
        if (!(start > kMiddleStart && start < kMiddleEnd))
            continue;
        const qint32 W = m.E[at + 1] - m.E[at];
        const qint32 L = m.E[at] - m.E[at - 1];
        const qint32 R = m.E[at + 2] - m.E[at + 1];
        if (W < kCentreMinWidth || W > kMaxWidth || L + R < kNeighboursMin ||
            L + R > kNeighboursMax)
            continue;
        m.centreIndex = i;
        m.C = middle(m.E[at], m.E[at + 1]);
        const auto offset = static_cast<float>(
            (double(m.E[at]) + double(m.E[at + 1]) - kScanLength) / kMiddleStart);
        m.centrePosition = std::clamp(static_cast<float>(double(offset) + 0.5), 0.0f, 1.0f);
        m.balance = static_cast<float>(double(R) / double(L + R));
        return;
    }
}

void findSpacing(AlignmentMeasure& m, bool sideLook) {
    m.startMarkIndex = findMark(m, [](double e) { return e < kStartSideBefore; });
    m.endMarkIndex = findMark(m, [](double e) { return e > kEndSideAfter; });
    if (m.startMarkIndex >= 0) {
        const auto at = static_cast<std::size_t>(m.startMarkIndex);
        m.LM = middle(m.E[at], m.E[at + 1]);
    }
    if (m.endMarkIndex >= 0) {
        const auto at = static_cast<std::size_t>(m.endMarkIndex);
        m.RM = middle(m.E[at], m.E[at + 1]);
    }
    if (m.startMarkIndex >= 0 && m.endMarkIndex >= 0)
        m.D = static_cast<float>((double(m.RM) - double(m.LM)) / 2.0);
    else if (m.startMarkIndex >= 0 && m.centreIndex >= 0)
        m.D = static_cast<float>(m.C - m.LM);
    else
        m.D = 0;
    if (m.D <= 0) {
        m.distanceFraction = -1;
        return;
    }
    const double K = sideLook ? kReferenceSpacingSideLook : kReferenceSpacing;
    auto f = static_cast<float>((K - double(m.D)) / kSpacingSpan);
    f = static_cast<float>(double(f) + 0.5);
    if (f < 0)
        f = 0.02f;
    else if (f > 1)
        f = 0.98f;
    m.distanceFraction = f;
}
} // namespace

qint16 fieldCount(qsizetype length) {
    // A quotient by 5 never ends in .5, so adding 2 rounds it.
    if (length > qsizetype(kMaxFields) * kFieldWidth)
        return kMaxFields;
    const auto n = static_cast<qint16>((length + 2) / kFieldWidth);
    return n > 100 ? kMaxFields : n;
}

AlignmentMeasure measureReport(QStringView body, bool sideLook) {
    AlignmentMeasure m;
    m.n = fieldCount(body.size());
    buildEdges(body, m);
    findCentre(m);
    findSpacing(m, sideLook);
    return m;
}
