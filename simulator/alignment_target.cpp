#include "simulator/alignment_target.h"

#include "protocol/hex_format.h"

#include <algorithm>
#include <cmath>

namespace {
// Clutter stays clear of the middle of the scan, where it could pass for the centre element,
// and is narrower than any mark.
constexpr double kClutterMiddleFrom = 17500;
constexpr double kClutterMiddleTo = 28500;
constexpr double kClutterMaxWidth = 400;
constexpr double kClutterMinWidth = 120;
constexpr double kClutterClearance = 200; // from the features
// One drift cycle takes about this many reports.
constexpr double kDriftPeriod = 200;
constexpr double kPi = 3.14159265358979323846;
} // namespace

AlignmentTarget::AlignmentTarget() : rng_(0x41524754u) {}

QList<AlignmentTarget::Bar> AlignmentTarget::bars() const {
    const double scale = 1.0 / distance_;
    const double width = kElementWidth * scale;
    const double spacing = kReferenceSpacing * scale;
    const double centreStart = position_ - width / 2;
    const double centreEnd = position_ + width / 2;
    const Bar startMark{position_ - spacing - width / 2, position_ - spacing + width / 2};
    const Bar left{centreStart - width * (1 - tilt_), centreStart};
    const Bar right{centreEnd, centreEnd + width * (1 + tilt_)};
    const Bar endMark{position_ + spacing - width / 2, position_ + spacing + width / 2};

    QList<Bar> result{startMark, left, right, endMark};
    if (clutterBars_ > 0) {
        // Share the clutter among the free stretches by their length.
        const double c = kClutterClearance;
        const QList<Bar> free{
            {kFirstEdge + c, startMark.start - c},
            {startMark.end + c, qMin(left.start - c, kClutterMiddleFrom)},
            {qMax(right.end + c, kClutterMiddleTo), endMark.start - c},
            {endMark.end + c, kScanLength - c},
        };
        double total = 0;
        for (const Bar& stretch : free)
            total += qMax(0.0, stretch.end - stretch.start);
        // Counts from the running share, so they always add up to the whole.
        double before = 0;
        for (const Bar& stretch : free) {
            const double length = qMax(0.0, stretch.end - stretch.start);
            const auto share = [&](double upTo) {
                return int(std::lround(clutterBars_ * upTo / qMax(total, 1.0)));
            };
            addClutter(result, stretch.start, stretch.end, share(before + length) - share(before));
            before += length;
        }
    }
    // A bar the scan does not reach in full is not seen.
    result.removeIf(
        [](const Bar& bar) { return bar.start <= kFirstEdge || bar.end >= kScanLength; });
    std::sort(result.begin(), result.end(),
              [](const Bar& a, const Bar& b) { return a.start < b.start; });
    return result;
}

void AlignmentTarget::addClutter(QList<Bar>& bars, double from, double to, int count) const {
    if (count <= 0 || to <= from)
        return;
    // Evenly spaced, each bar at most half its slot, so a gap always stays between them.
    const double slot = (to - from) / count;
    const double width = qBound(kClutterMinWidth, slot / 2, kClutterMaxWidth);
    for (int k = 0; k < count; ++k) {
        const double middle = from + (k + 0.5) * slot;
        bars.append({middle - width / 2, middle + width / 2});
    }
}

QList<qint32> AlignmentTarget::edges(const QList<Bar>& bars) const {
    QList<qint32> result{kFirstEdge};
    for (const Bar& bar : bars) {
        result.append(qint32(std::lround(bar.start)));
        result.append(qint32(std::lround(bar.end)));
    }
    result.append(kScanLength);
    return result;
}

QList<qint32> AlignmentTarget::widthsOf(const QList<qint32>& edges) {
    QList<qint32> result;
    for (qsizetype k = 0; k + 1 < edges.size(); ++k)
        result.append(edges[k + 1] - edges[k]);
    return result;
}

QList<qint32> AlignmentTarget::widths() const {
    return widthsOf(edges(bars()));
}

QByteArray AlignmentTarget::report() {
    QList<qint32> e = edges(bars());
    if (noise_ > 0) {
        // Inner edges only, each kept between its neighbours.
        for (qsizetype k = 1; k + 1 < e.size(); ++k) {
            const qint32 moved = e[k] + rng_.bounded(-noise_, noise_ + 1);
            e[k] = qBound(e[k - 1] + 1, moved, e[k + 1] - 1);
        }
    }
    QByteArray out(1, '\x01');
    for (const qint32 width : widthsOf(e))
        out += fourDigitHex(quint32(qBound(0, width, 0xFFFF))) + ' ';
    out += '\x02';
    step();
    return out;
}

void AlignmentTarget::step() {
    if (!drift_)
        return;
    // Three slow waves of unrelated periods, so the marker and the bar wander independently.
    phase_ += 2 * kPi / kDriftPeriod;
    position_ = kScanLength / 2.0 + 3000 * std::sin(phase_);
    tilt_ = 0.35 * std::sin(phase_ * 1.37 + 1);
    distance_ = 1 + 0.07 * std::sin(phase_ * 0.61 + 2);
}
