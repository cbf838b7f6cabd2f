#include "ui/layout.h"

#include "ui/canvas.h"
#include "ui/colours.h"
#include "ui/ui_metrics.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <algorithm>

namespace {
QWidget* makeControl(const ControlSpec& entry, QWidget* parent, const Twips& t) {
    const QString caption = QString::fromUtf8(entry.caption);
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
} // namespace

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
    window.setWindowTitle(QString::fromUtf8(layout.title));
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
            control = makeControl(entry, parent, t);
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
    std::stable_sort(chain.begin(), chain.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (qsizetype k = 1; k < chain.size(); ++k)
        QWidget::setTabOrder(chain[k - 1].second, chain[k].second);
    if (!chain.isEmpty())
        chain.first().second->setFocus();
    return made;
}
