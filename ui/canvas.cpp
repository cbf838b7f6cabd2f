#include "ui/canvas.h"

#include <QAccessibleWidget>
#include <QPaintEvent>
#include <cmath>

namespace {
// A canvas as a screen reader sees it: its role, and for a gauge (progress bar) its value.
class CanvasAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit CanvasAccessible(Canvas* canvas)
        : QAccessibleWidget(canvas, canvas->accessibleRole()) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface && role() == QAccessible::ProgressBar)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QVariant currentValue() const override {
        return static_cast<const Canvas*>(widget())->accessibleValue();
    }
    void setCurrentValue(const QVariant&) override {} // shown, not set
    QVariant maximumValue() const override { return 100.0; }
    QVariant minimumValue() const override { return 0.0; }
    QVariant minimumStepSize() const override { return 0.0; }
};

QAccessibleInterface* canvasAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("Canvas") && object && object->isWidgetType())
        return new CanvasAccessible(static_cast<Canvas*>(object));
    return nullptr;
}
} // namespace

Canvas::Canvas(int widthTwips, int heightTwips, qreal pixelsPerTwip, QColor background,
               QWidget* parent)
    : QWidget(parent), widthTwips_(widthTwips), heightTwips_(heightTwips),
      pixelsPerTwip_(pixelsPerTwip), background_(background) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(canvasAccessible);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    // The pixmap covers every pixel; nothing underneath needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Canvas::setAccessibleValue(double value) {
    value_ = value;
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent event(this, value);
        QAccessible::updateAccessibility(&event);
    }
}

QSize Canvas::deviceSize() const {
    const qreal ratio = devicePixelRatioF();
    return {static_cast<int>(std::lround(width() * ratio)),
            static_cast<int>(std::lround(height() * ratio))};
}

void Canvas::clear() {
    if (pixmap_.size() != deviceSize())
        pixmap_ = QPixmap(deviceSize());
    ratio_ = devicePixelRatioF();
    pixmap_.fill(background_);
    update();
}

void Canvas::ensurePixmap() {
    if (pixmap_.isNull()) {
        clear();
        return;
    }
    if (pixmap_.size() == deviceSize() && ratio_ == devicePixelRatioF())
        return;
    // Moved to a screen of another scale: keep the picture until it is drawn anew.
    pixmap_ = pixmap_.scaled(deviceSize());
    ratio_ = devicePixelRatioF();
}

void Canvas::paintEvent(QPaintEvent* event) {
    ensurePixmap();
    QPainter painter(this);
    painter.setClipRect(event->rect());
    // One pixmap pixel to one device pixel: nothing is resampled.
    painter.scale(1 / ratio_, 1 / ratio_);
    painter.drawPixmap(0, 0, pixmap_);
}

void Canvas::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ensurePixmap();
}

CanvasPainter::CanvasPainter(Canvas& canvas) : canvas_(canvas) {
    // A canvas that has not been shown yet has had no resize event.
    canvas.ensurePixmap();
    devicePixelsPerTwip_ = canvas.pixelsPerTwip_ * canvas.ratio_;
    painter_.begin(&canvas.pixmap_);
    painter_.setRenderHint(QPainter::Antialiasing, false);
}

CanvasPainter::~CanvasPainter() {
    painter_.end();
    canvas_.update();
}

QPoint CanvasPainter::toPixels(QPointF twips) const {
    return {static_cast<int>(std::lround(twips.x() * devicePixelsPerTwip_)),
            static_cast<int>(std::lround(twips.y() * devicePixelsPerTwip_))};
}

void CanvasPainter::setPen(QColor colour, int lineWidth) {
    // A window pixel is several device pixels on a scaled display; whole ones keep lines crisp.
    const int width = qMax(1, static_cast<int>(std::lround(lineWidth * canvas_.ratio_)));
    // Round ends, as a wide pen draws them on the classic desktop.
    painter_.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter_.setBrush(Qt::NoBrush);
}

void CanvasPainter::line(QPointF from, QPointF to, QColor colour, int lineWidth) {
    setPen(colour, lineWidth);
    painter_.drawLine(toPixels(from), toPixels(to));
}

void CanvasPainter::circle(QPointF centre, qreal radius, QColor colour, int lineWidth) {
    setPen(colour, lineWidth);
    const qreal r = radius * devicePixelsPerTwip_;
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
