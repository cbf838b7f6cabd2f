#include "ui/canvas.h"

#include <QPaintEvent>
#include <cmath>

Canvas::Canvas(int widthTwips, int heightTwips, qreal pixelsPerTwip, QColor background,
               QWidget* parent)
    : QWidget(parent), widthTwips_(widthTwips), heightTwips_(heightTwips),
      pixelsPerTwip_(pixelsPerTwip), background_(background) {
    // The pixmap covers every pixel; nothing underneath needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Canvas::clear() {
    const qreal ratio = devicePixelRatioF();
    if (pixmap_.size() != size() * ratio) {
        pixmap_ = QPixmap(size() * ratio);
        pixmap_.setDevicePixelRatio(ratio);
    }
    pixmap_.fill(background_);
    update();
}

void Canvas::ensurePixmap() {
    if (pixmap_.size() != size() * devicePixelRatioF())
        clear();
}

void Canvas::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawPixmap(event->rect(), pixmap_, event->rect());
}

void Canvas::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ensurePixmap();
}

CanvasPainter::CanvasPainter(Canvas& canvas) : canvas_(canvas) {
    // A canvas that has not been shown yet has had no resize event.
    canvas.ensurePixmap();
    painter_.begin(&canvas.pixmap_);
    painter_.setRenderHint(QPainter::Antialiasing, false);
}

CanvasPainter::~CanvasPainter() {
    painter_.end();
    canvas_.update();
}

QPoint CanvasPainter::toPixels(QPointF twips) const {
    const qreal scale = canvas_.pixelsPerTwip_;
    return {static_cast<int>(std::lround(twips.x() * scale)),
            static_cast<int>(std::lround(twips.y() * scale))};
}

void CanvasPainter::setPen(QColor colour, int lineWidth) {
    // Round ends, as a wide pen draws them on the classic desktop.
    painter_.setPen(QPen(colour, lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter_.setBrush(Qt::NoBrush);
}

void CanvasPainter::line(QPointF from, QPointF to, QColor colour, int lineWidth) {
    setPen(colour, lineWidth);
    painter_.drawLine(toPixels(from), toPixels(to));
}

void CanvasPainter::circle(QPointF centre, qreal radius, QColor colour, int lineWidth) {
    setPen(colour, lineWidth);
    const qreal r = radius * canvas_.pixelsPerTwip_;
    painter_.drawEllipse(QPointF(toPixels(centre)), r, r);
}

void CanvasPainter::filledRect(QPointF corner, QPointF opposite, QColor colour) {
    const QPoint a = toPixels(corner);
    const QPoint b = toPixels(opposite);
    // Both corners inclusive: the outline is part of the rectangle.
    painter_.fillRect(QRect(QPoint(qMin(a.x(), b.x()), qMin(a.y(), b.y())),
                            QPoint(qMax(a.x(), b.x()), qMax(a.y(), b.y()))),
                      colour);
}
