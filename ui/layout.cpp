#include "ui/layout.h"

#include "ui/canvas.h"
#include "ui/colours.h"
#include "ui/ui_metrics.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTableWidget>
#include <algorithm>

namespace {
QWidget* makeControl(const ControlSpec& entry, const QString& caption, QWidget* parent,
                     const Twips& t) {
    switch (entry.kind) {
    case ControlSpec::Kind::Label: {
        auto* label = new QLabel(caption, parent);
        label->setTextFormat(Qt::PlainText);
        if (entry.alignment)
            label->setAlignment(entry.alignment);
        return label;
    }
    case ControlSpec::Kind::Button:
        return new QPushButton(caption, parent);
    case ControlSpec::Kind::CheckBox:
        return new QCheckBox(caption, parent);
    case ControlSpec::Kind::GroupBox:
        return new QGroupBox(caption, parent);
    case ControlSpec::Kind::ComboBox:
        return new QComboBox(parent);
    case ControlSpec::Kind::Canvas:
        // Drawing scales by the laid-out size in twips, so it lands where the layout says.
        return new Canvas(entry.twips.width(), entry.twips.height(), t.px(14400) / 14400.0, kWhite,
                          parent);
    case ControlSpec::Kind::Table:
        return new QTableWidget(parent);
    }
    return nullptr;
}

// How many pixels wider the control must be for its caption's longest line.
int captionShortfall(QWidget* control) {
    QString caption;
    QRect room = control->contentsRect();
    QStyleOptionButton option;
    option.initFrom(control);
    if (auto* label = qobject_cast<QLabel*>(control)) {
        caption = label->text();
    } else if (auto* button = qobject_cast<QPushButton*>(control)) {
        caption = button->text();
        room = control->style()->subElementRect(QStyle::SE_PushButtonContents, &option, control);
    } else if (auto* box = qobject_cast<QCheckBox*>(control)) {
        caption = box->text();
        room = control->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, control);
    } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
        caption = group->title();
        room = QRect(0, 0, control->width() - 16, 0);
    }
    if (caption.isEmpty())
        return 0;
    const QFontMetrics metrics(control->font());
    int wide = 0;
    for (const QString& line : caption.split(QChar(u'\n')))
        wide = std::max(wide, metrics.horizontalAdvance(line));
    return wide - room.width();
}

// Widens `control` (and every control of its column: same place, same width) by `extra`,
// moves what lies to its right along, and widens its frame, if any, the same way.
void widen(QWidget& window, QWidget* control, int extra) {
    QWidget* parent = control->parentWidget();
    const QRect old = control->geometry();
    for (QWidget* sibling : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const QRect at = sibling->geometry();
        if (sibling == control || (at.left() == old.left() && at.width() == old.width()))
            sibling->resize(at.width() + extra, at.height());
        else if (at.left() > old.center().x())
            sibling->move(at.left() + extra, at.top());
    }
    if (parent != &window)
        widen(window, parent, extra);
}
} // namespace

QString translatedCaption(const char* context, const char* caption) {
    return *caption ? QCoreApplication::translate(context, caption) : QString();
}

QFont fontFor(ControlSpec::Font font) {
    switch (font) {
    case ControlSpec::Font::Bold:
        return dialogBoldFont();
    case ControlSpec::Font::Axis:
        return dialogFont(9.75);
    case ControlSpec::Font::Window:
        break;
    }
    return dialogFont();
}

void applyWindowLayout(QWidget& window, const WindowLayout& layout) {
    const Twips t;
    window.setObjectName(QString::fromUtf8(layout.name));
    window.setWindowTitle(translatedCaption(layout.name, layout.title));
    window.setFont(dialogFont());
    window.setFixedSize(t.px(layout.twips.width()), t.px(layout.twips.height()));
}

QList<QWidget*> buildControls(QWidget& window, const WindowLayout& layout,
                              const ControlMaker& ownKind) {
    const Twips t;
    QList<QWidget*> made;
    QList<std::pair<int, QWidget*>> chain;
    for (const ControlSpec& entry : layout.controls) {
        QWidget* parent = &window;
        if (entry.parent) {
            for (QWidget* earlier : made) {
                if (earlier->objectName() == QLatin1String(entry.parent))
                    parent = earlier;
            }
        }
        QWidget* control = ownKind ? ownKind(entry, parent) : nullptr;
        if (!control)
            control = makeControl(entry, translatedCaption(layout.name, entry.caption), parent, t);
        control->setObjectName(QString::fromUtf8(entry.name));
        if (entry.index >= 0)
            control->setProperty("Index", entry.index);
        control->setGeometry(t.rect(entry.twips));
        if (entry.font != ControlSpec::Font::Window)
            control->setFont(fontFor(entry.font));
        if (entry.tabIndex >= 0)
            chain.append({entry.tabIndex, control});
        made << control;
    }
    // A caption longer than its place (a translation) widens its control and moves the rest
    // along; the English captions all fit as the table has them.
    for (QWidget* control : made) {
        if (const int extra = captionShortfall(control); extra > 0)
            widen(window, control, extra);
    }
    int right = t.px(layout.twips.width());
    for (qsizetype k = 0; k < made.size(); ++k) {
        if (made[k]->parentWidget() == &window)
            right = std::max(right, t.px(layout.twips.width()) + made[k]->geometry().right() -
                                        t.rect(layout.controls[k].twips).right());
    }
    window.setFixedWidth(right);
    std::stable_sort(chain.begin(), chain.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (qsizetype k = 1; k < chain.size(); ++k)
        QWidget::setTabOrder(chain[k - 1].second, chain[k].second);
    if (!chain.isEmpty())
        chain.first().second->setFocus();
    return made;
}
