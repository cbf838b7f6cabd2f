#pragma once

#include <QAccessible>
#include <QColor>
#include <QPainter>
#include <QPixmap>
#include <QPointF>
#include <QWidget>

// A drawing surface that keeps what is drawn on it: everything goes into a pixmap, which is
// put on screen whenever the widget is exposed. Coordinates are twips from the top-left corner.
// The pixmap holds one pixel for each device pixel of the screen, so a scaled display shows
// the same picture as an unscaled one, only finer.
class Canvas : public QWidget {
    Q_OBJECT
public:
    // `widthTwips` x `heightTwips` is the laid-out size that drawing scales by;
    // `pixelsPerTwip` is in the window's own (logical) pixels.
    Canvas(int widthTwips, int heightTwips, qreal pixelsPerTwip, QColor background,
           QWidget* parent = nullptr);

    int widthTwips() const { return widthTwips_; }
    int heightTwips() const { return heightTwips_; }

    // Back to the background colour alone.
    void clear();

    // What a screen reader is told the canvas is (a picture unless said otherwise), and for a
    // gauge its value; the words go in the accessible name and description as for any widget.
    void setAccessibleRole(QAccessible::Role role) { role_ = role; }
    QAccessible::Role accessibleRole() const { return role_; }
    void setAccessibleValue(double value);
    double accessibleValue() const { return value_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class CanvasPainter;
    QSize deviceSize() const;
    // Matches the pixmap to the widget's size and the screen's pixel ratio; what was drawn
    // is carried over, scaled.
    void ensurePixmap();
    int widthTwips_;
    int heightTwips_;
    qreal pixelsPerTwip_;
    QColor background_;
    QPixmap pixmap_; // in device pixels
    qreal ratio_ = 1;
    QAccessible::Role role_ = QAccessible::Graphic;
    double value_ = 0;
};

// Draws on a canvas in twips; the canvas is repainted once the painter is done.
// Lines are `lineWidth` pixels wide (window pixels, so wider on a scaled display); filled
// rectangles include their outline.
class CanvasPainter {
public:
    explicit CanvasPainter(Canvas& canvas);
    ~CanvasPainter();
    CanvasPainter(const CanvasPainter&) = delete;
    CanvasPainter& operator=(const CanvasPainter&) = delete;

    void line(QPointF from, QPointF to, QColor colour, int lineWidth);
    void circle(QPointF centre, qreal radius, QColor colour, int lineWidth);
    void filledRect(QPointF corner, QPointF opposite, QColor colour);

private:
    QPoint toPixels(QPointF twips) const;
    void setPen(QColor colour, int lineWidth);

    Canvas& canvas_;
    QPainter painter_;
    qreal devicePixelsPerTwip_;
};
