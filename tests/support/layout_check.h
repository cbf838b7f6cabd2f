#pragma once

#include "ui/canvas.h"
#include "ui/layout.h"
#include "ui/ui_metrics.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTest>

// The control of `window` a table row names.
inline QWidget* controlFor(QWidget& window, const ControlSpec& entry) {
    for (QWidget* widget : window.findChildren<QWidget*>(QString::fromUtf8(entry.name))) {
        if (entry.index < 0 || widget->property("Index").toInt() == entry.index)
            return widget;
    }
    return nullptr;
}

inline QString captionOf(QWidget* widget) {
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return button->text();
    if (auto* group = qobject_cast<QGroupBox*>(widget))
        return group->title();
    return {};
}

// Empty when every line of the caption fits the control's text area, and the text stays clear
// of the controls `above` it that paint over it; else what does not fit.
inline QString captionMisfit(QWidget* widget, const QList<QWidget*>& above = {}) {
    const QString caption = captionOf(widget);
    const QFontMetrics metrics(widget->font());
    const QStringList lines = caption.split(QChar(u'\n'));
    int wide = 0;
    for (const QString& line : lines)
        wide = std::max(wide, metrics.horizontalAdvance(line));
    const int tall = metrics.height() * int(lines.size());
    QRect room = widget->contentsRect();
    QStyleOptionButton option;
    option.initFrom(widget);
    if (qobject_cast<QPushButton*>(widget))
        room = widget->style()->subElementRect(QStyle::SE_PushButtonContents, &option, widget);
    else if (qobject_cast<QCheckBox*>(widget))
        room = widget->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, widget);
    else if (qobject_cast<QGroupBox*>(widget))
        room = QRect(0, 0, widget->width() - 16, metrics.height());
    const QString why =
        QString::asprintf("%s \"%s\": text %dx%d in %dx%d", qPrintable(widget->objectName()),
                          qPrintable(caption), wide, tall, room.width(), room.height());
    if (wide > room.width() || tall > room.height() + 1)
        return why;
    const QRect text(widget->pos() + room.topLeft(), QSize(wide, tall));
    for (const QWidget* other : above) {
        // A label without a background of its own hides nothing under it.
        const bool opaque = !qobject_cast<const QLabel*>(other) || other->autoFillBackground();
        if (opaque && other->parentWidget() == widget->parentWidget() &&
            text.intersects(other->geometry()))
            return why + QStringLiteral(" runs under ") + other->objectName();
    }
    return {};
}

// Whether a translation changed any of the table's texts (then the window may have grown).
inline bool translated(const WindowLayout& layout) {
    if (translatedCaption(layout.name, layout.title) != QString::fromUtf8(layout.title))
        return true;
    for (const ControlSpec& entry : layout.controls) {
        if (translatedCaption(layout.name, entry.caption) != QString::fromUtf8(entry.caption))
            return true;
    }
    return false;
}

// The window is what its table says: title, size, font, and for every control its kind,
// parent, geometry, font and caption, each caption fitting and clear of the controls above it.
// Translated, the captions are the translations and a control may have grown to hold its
// caption, moving others along: then each keeps its row and at least its width.
inline void checkLayout(QWidget& window, const WindowLayout& layout) {
    static const char* const kClass[] = {"QLabel",    "QPushButton", "QCheckBox",   "QGroupBox",
                                         "QComboBox", "Canvas",      "QTableWidget"};
    const Twips t;
    const bool exact = !translated(layout);
    QCOMPARE(window.objectName(), QString::fromUtf8(layout.name));
    QCOMPARE(window.windowTitle(), translatedCaption(layout.name, layout.title));
    const QSize tableSize = t.rect(QRect(QPoint(), layout.twips)).size();
    if (exact)
        QCOMPARE(window.size(), tableSize);
    else
        QVERIFY(window.height() == tableSize.height() && window.width() >= tableSize.width());
    QCOMPARE(QFontInfo(window.font()).family(), QStringLiteral("Liberation Sans"));
    QList<QWidget*> made;
    for (const ControlSpec& entry : layout.controls) {
        QWidget* widget = controlFor(window, entry);
        QVERIFY2(widget, entry.name);
        made << widget;
        QVERIFY2(widget->inherits(kClass[int(entry.kind)]), entry.name); // or a kind of its own
        QCOMPARE(widget->parentWidget()->objectName(),
                 QString::fromUtf8(entry.parent ? entry.parent : layout.name));
        const QRect table = t.rect(entry.twips);
        if (exact) {
            QCOMPARE(widget->geometry(), table);
        } else {
            QCOMPARE(widget->y(), table.y());
            QCOMPARE(widget->height(), table.height());
            QVERIFY2(widget->width() >= table.width() && widget->x() >= table.x(), entry.name);
        }
        QCOMPARE(widget->font(), fontFor(entry.font));
        QCOMPARE(captionOf(widget), translatedCaption(layout.name, entry.caption));
        if (auto* canvas = qobject_cast<Canvas*>(widget)) // drawing scales by these
            QCOMPARE(QSize(canvas->widthTwips(), canvas->heightTwips()), entry.twips.size());
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            QCOMPARE(label->textFormat(), Qt::PlainText); // reader text is never markup
            if (entry.alignment)
                QCOMPARE(label->alignment(), entry.alignment);
        }
    }
    for (qsizetype k = 0; k < made.size(); ++k) {
        const QString misfit = captionMisfit(made[k], made.mid(k + 1));
        QVERIFY2(misfit.isEmpty(), qPrintable(misfit));
    }
}

// Once the window is shown and active: the focus starts on the first control of the tab chain
// and Tab walks the chain in tabIndex order, passing over disabled controls, back to the start.
inline void checkTabChain(QWidget& window, const WindowLayout& layout) {
    QList<std::pair<int, QWidget*>> chain;
    for (const ControlSpec& entry : layout.controls) {
        if (entry.tabIndex >= 0)
            chain.append({entry.tabIndex, controlFor(window, entry)});
    }
    std::sort(chain.begin(), chain.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    QVERIFY(!chain.isEmpty());
    QCOMPARE(QApplication::focusWidget(), chain.first().second);
    for (qsizetype k = 1; k <= chain.size(); ++k) {
        QWidget* next = chain[k % chain.size()].second;
        if (!next->isEnabled())
            continue;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
}
