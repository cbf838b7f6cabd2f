#pragma once

#include "protocol/scan_geometry.h"

#include <QStringView>
#include <QtGlobal>

#include <array>

// What one alignment report says about the target: the edges along the scan line, the centre
// element with its two neighbours, and the side marks. No window and no line involved.

// Edge positions E[0..200]; element k runs from E[k] to E[k+1]. Entries past the last edge are 0.
using EdgeTable = std::array<qint32, 201>;

struct AlignmentMeasure {
    qint16 n = 0; // fields used from the body
    EdgeTable E{};

    int centreIndex = -1; // element index of the accepted centre element, -1 if none
    qint32 C = 0;         // middle of the centre element
    float centrePosition = 0;
    float balance = 0;

    int startMarkIndex = -1;
    qint32 LM = 0;
    int endMarkIndex = -1;
    qint32 RM = 0;

    float D = 0;                 // mark spacing; 0 when it cannot be formed
    float distanceFraction = -1; // -1 removes the bar
};

// Fields of 5 characters in a body of `length` characters: rounded, and 101 beyond 100.
qint16 fieldCount(qsizetype length);

// Whether a place across or along the scan (0.5 is centred), or the distance fraction, lies in
// the band the target should be brought into: 0.4 to 0.6.
inline bool insideAlignmentBand(float v) {
    return v >= 0.4f && v <= 0.6f;
}

// The whole computation for one report body (its last character already a CR).
// `sideLook` picks the reference spacing.
AlignmentMeasure measureReport(QStringView body, bool sideLook);
