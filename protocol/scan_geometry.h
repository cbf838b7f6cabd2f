#pragma once

#include <QtGlobal>

// One full scan of the alignment report, in the reader's counts.
inline constexpr qint32 kScanLength = 45260;
// Spacing of the alignment target's two side marks at the nominal distance, in the same counts;
// a reader mounted for side look sees them further apart.
inline constexpr double kReferenceSpacing = 16429.38;
inline constexpr double kReferenceSpacingSideLook = 17560.88;
