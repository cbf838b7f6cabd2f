#pragma once

#include <QFont>
#include <QList>
#include <QRect>
#include <QSize>
#include <functional>

class QWidget;

// One control of a window's layout table: what it is, what it says, where it lies.
struct ControlSpec {
    enum class Kind { Label, Button, CheckBox, GroupBox, ComboBox, Canvas, Table };
    enum class Font {
        Window, // the window's own dialog font
        Bold,   // the same, bold
        Axis,   // the 9.75-point labels around the alignment and decode displays
    };

    const char* name = nullptr; // object name
    Kind kind = Kind::Label;
    const char* caption = "";
    QRect twips;                  // left, top, width, height within the parent
    Font font = Font::Window;     //
    Qt::Alignment alignment = {}; // labels only; none leaves Qt's default
    int tabIndex = -1;            // place in the tab chain; -1 stays out of it
    int index = -1;               // place in a control array (the "Index" property)
    const char* parent = nullptr; // an earlier control of the table; none: the window
};

// A window's title, fixed size and controls, in the order they are made: a later control lies
// above an earlier one.
struct WindowLayout {
    const char* name = nullptr;
    const char* title = "";
    QSize twips;
    QList<ControlSpec> controls;
};

QFont fontFor(ControlSpec::Font font);

// A table's caption or title in the language of the window texts ("context" is the table's
// name; the tables mark their texts with QT_TRANSLATE_NOOP for it).
QString translatedCaption(const char* context, const char* caption);

// Names and titles the window, gives it the dialog font and its fixed size.
void applyWindowLayout(QWidget& window, const WindowLayout& layout);

// A window's own kind of control for a table row, or null for the kind the row names.
using ControlMaker = std::function<QWidget*(const ControlSpec& entry, QWidget* parent)>;

// Makes the table's controls, sets the tab chain in tabIndex order and gives its first control
// the focus. Returns the controls in table order. Labels never read their text as markup.
// A translated caption that does not fit widens its control, the control's column and frame,
// and the window; what lies to the right moves along.
QList<QWidget*> buildControls(QWidget& window, const WindowLayout& layout,
                              const ControlMaker& ownKind = {});
