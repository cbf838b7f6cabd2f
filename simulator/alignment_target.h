#pragma once

#include "protocol/scan_geometry.h"

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>
#include <QtGlobal>

// The alignment target as the reader sees it along one scan: a centre element (a gap) between
// two bars, and one mark on either side, optionally among narrow bars that match no feature.
// Its answer to "DZ" lists the widths of the elements from the first edge to the end of the
// scan, framed by characters 1 and 2.
class AlignmentTarget {
public:
    // Where the first edge lies; the scan before it shows no element.
    static constexpr qint32 kFirstEdge = 1000;
    // Width of the centre element, of each neighbour and of each mark at that distance.
    static constexpr double kElementWidth = 1000;

    AlignmentTarget();

    // Middle of the centre element along the scan, in counts (the scan's middle by default).
    void setPosition(double counts) { position_ = counts; }
    double position() const { return position_; }
    // -1 to 1: the right neighbour widens as the left one narrows; 0 is level.
    void setTilt(double tilt) { tilt_ = qBound(-1.0, tilt, 1.0); }
    double tilt() const { return tilt_; }
    // Relative to the reference distance: farther makes every element and the spacing smaller.
    void setDistance(double distance) { distance_ = qMax(0.1, distance); }
    double distance() const { return distance_; }
    // Narrow bars spread before, between and after the features.
    void setClutterBars(int count) { clutterBars_ = qMax(0, count); }
    // Each edge of every report moves by a random amount up to this many counts.
    void setNoise(int counts) { noise_ = qMax(0, counts); }
    int noise() const { return noise_; }
    // Position, tilt and distance wander slowly, one small step per report.
    void setDrift(bool drift) { drift_ = drift; }

    // Element widths of the scan as it stands, without noise.
    QList<qint32> widths() const;
    // The framed report for one request; with noise and drift, each call differs.
    QByteArray report();

private:
    struct Bar {
        double start;
        double end;
    };
    QList<Bar> bars() const;
    void addClutter(QList<Bar>& bars, double from, double to, int count) const;
    static QList<qint32> widthsOf(const QList<qint32>& edges);
    QList<qint32> edges(const QList<Bar>& bars) const;
    void step();

    double position_ = kScanLength / 2.0;
    double tilt_ = 0;
    double distance_ = 1;
    int clutterBars_ = 0;
    int noise_ = 0;
    bool drift_ = false;
    double phase_ = 0;
    QRandomGenerator rng_;
};
