#pragma once

#include <QFont>
#include <QRect>

// Window layouts are given in twips (1/1440 inch): 15 twips to a pixel at 96 dpi,
// scaled with the screen's logical dpi.
class Twips {
public:
    Twips(); // the primary screen's logical dpi
    explicit Twips(qreal logicalDpi) : dpi_(logicalDpi) {}
    int px(int twips) const;
    QRect rect(int left, int top, int width, int height) const;
    QRect rect(const QRect& twips) const {
        return rect(twips.left(), twips.top(), twips.width(), twips.height());
    }

private:
    qreal dpi_;
};

// The windows' font: a metric stand-in for the classic 8-point dialog font, narrow enough that
// every caption fits its control.
// 8.25 points for controls; the alignment and decode windows label their axes at 9.75.
QFont dialogFont(qreal pointSize = 8.25);
QFont dialogBoldFont();
