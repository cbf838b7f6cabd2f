#pragma once

#include <QColor>
#include <QPainter>
#include <QPixmap>
#include <QPointF>
#include <QWidget>

// A drawing surface that keeps what is drawn on it: everything goes into a pixmap, which is
// put on screen whenever the widget is exposed. Coordinates are twips from the top-left corner.
class Canvas : public QWidget {
    Q_OBJECT
public:
    // `widthTwips` x `heightTwips` is the laid-out size that drawing scales by.
    Canvas(int widthTwips, int heightTwips, qreal pixelsPerTwip, QColor background,
           QWidget* parent = nullptr);

    int widthTwips() const { return widthTwips_; }
    int heightTwips() const { return heightTwips_; }

    // Back to the background colour alone.
    void clear();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class CanvasPainter;
    void ensurePixmap();
    int widthTwips_;
    int heightTwips_;
    qreal pixelsPerTwip_;
    QColor background_;
    QPixmap pixmap_;
};

// Draws on a canvas in twips; the canvas is repainted once the painter is done.
// Lines are `lineWidth` pixels wide; filled rectangles include their outline.
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
};
