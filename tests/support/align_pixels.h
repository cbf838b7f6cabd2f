#pragma once

#include "ui/canvas.h"
#include "ui/colours.h"

#include <QImage>
#include <QList>
#include <cmath>

// Reading the alignment window's canvases as the screen shows them, in device pixels. Places
// are given in twips and found as the same fraction of the canvas at every display scale.
namespace align_pixels {

// grab() has the canvas paint itself anew.
inline QImage shownImage(Canvas* canvas) {
    return canvas->grab().toImage();
}
// The device pixel at a place given in twips.
inline QPoint toPixel(const QImage& image, Canvas* canvas, qreal x, qreal y) {
    return {int(std::floor(x / canvas->widthTwips() * image.width())),
            int(std::floor(y / canvas->heightTwips() * image.height()))};
}
// Device pixels per window pixel.
inline qreal ratio(Canvas* canvas) {
    return canvas->devicePixelRatioF();
}

inline QColor shown(Canvas* canvas, qreal x, qreal y) {
    const QImage image = shownImage(canvas);
    return image.pixelColor(toPixel(image, canvas, x, y));
}

// For thin lines: `colour` when it shows within one device pixel of the place, else what the
// place itself shows.
inline QColor shownNear(Canvas* canvas, qreal x, qreal y, QColor colour) {
    const QImage image = shownImage(canvas);
    const QPoint at = toPixel(image, canvas, x, y);
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            if (image.valid(at.x() + dx, at.y() + dy) &&
                image.pixelColor(at.x() + dx, at.y() + dy) == colour)
                return colour;
        }
    }
    return image.pixelColor(at);
}

// Checks a profile against its edges, from the bottom up: black before the first edge, then
// white and black in turn. One pixel row at a time, leaving out the rows within a pixel and a
// half of each boundary. Empty when it matches, else the first row that does not.
inline QString profileMismatch(Canvas* canvas, const QList<int>& edges) {
    const QImage image = shownImage(canvas);
    const int x = image.width() / 2;
    const qreal rowsPerScan = image.height() / 45260.0;
    for (int row = 0; row < image.height(); ++row) {
        const qreal scan = (1 - (row + 0.5) / image.height()) * 45260;
        int element = -1;
        bool nearBoundary = false;
        for (const int edge : edges) {
            if (std::abs(scan - edge) * rowsPerScan < 1.5)
                nearBoundary = true;
            if (scan >= edge)
                ++element;
        }
        if (nearBoundary)
            continue;
        const QColor expected = element >= 0 && element % 2 == 0 ? kWhite : kBlack;
        const QColor actual = image.pixelColor(x, row);
        if (actual != expected)
            return QStringLiteral("row %1 (scan %2) is %3").arg(row).arg(scan).arg(actual.name());
    }
    return {};
}

} // namespace align_pixels
