#include "ui/ui_metrics.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace {
qreal primaryLogicalDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInch() : 96.0;
}
} // namespace

Twips::Twips() : dpi_(primaryLogicalDpi()) {}

int Twips::px(int twips) const {
    return static_cast<int>(std::lround(twips * dpi_ / 1440.0));
}

QRect Twips::rect(int left, int top, int width, int height) const {
    return {px(left), px(top), px(width), px(height)};
}

QFont dialogFont(qreal pointSize) {
    // Liberation Sans has Arial's widths; the usual Linux stand-ins for the classic dialog
    // font are wider and would clip the captions.
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    return font;
}

QFont dialogBoldFont() {
    QFont font = dialogFont();
    font.setBold(true);
    return font;
}
