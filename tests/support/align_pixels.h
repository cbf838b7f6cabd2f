#pragma once

#include "ui/canvas.h"
#include "ui/colours.h"
#include "ui/ui_metrics.h"

#include <QImage>
#include <QList>
#include <cmath>

// Reading the alignment window's canvases as the screen shows them.
namespace align_pixels {

inline qreal pixelsPerTwip() {
    return Twips().px(14400) / 14400.0;
}
inline int toPixel(qreal twips) {
    return int(std::lround(twips * pixelsPerTwip()));
}

// The colour at a point given in twips; grab() has the canvas paint itself anew.
inline QColor shown(Canvas* canvas, qreal x, qreal y) {
    return canvas->grab().toImage().pixelColor(toPixel(x), toPixel(y));
}

// Checks a profile against its edges, from the bottom up: black before the first edge, then
// white and black in turn. One pixel row at a time, leaving out the rows on each boundary.
// Empty when it matches, else the first row that does not.
inline QString profileMismatch(Canvas* canvas, const QList<int>& edges) {
    const QImage image = canvas->grab().toImage();
    const int x = image.width() / 2;
    const qreal height = canvas->heightTwips();
    for (int row = 0; row < image.height(); ++row) {
        const qreal scan = (1 - (row / pixelsPerTwip()) / height) * 45260;
        int element = -1;
        bool nearBoundary = false;
        for (const int edge : edges) {
            if (std::abs(scan - edge) / 45260 * height * pixelsPerTwip() < 1.5)
                nearBoundary = true;
            if (scan >= edge)
                ++element;
        }
        if (nearBoundary || scan < 0 || scan > 45260)
            continue;
        const QColor expected = element >= 0 && element % 2 == 0 ? kWhite : kBlack;
        const QColor actual = image.pixelColor(x, row);
        if (actual != expected)
            return QStringLiteral("row %1 (scan %2) is %3").arg(row).arg(scan).arg(actual.name());
    }
    return {};
}

} // namespace align_pixels
