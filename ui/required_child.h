#pragma once

#include <QString>
#include <QWidget>

// Stops the program: the window's layout table made no control of that name, or made it of
// another kind. A fault of the program itself, so it must not go unnoticed until a click.
[[noreturn]] void missingControl(const QWidget& window, const QString& name, const QObject* found,
                                 const char* expectedKind);

// A control that the window's layout table made, found by its name.
template <typename Control> Control* requireChild(const QWidget& window, const char* name) {
    const QString objectName = QLatin1String(name);
    auto* control = window.findChild<Control*>(objectName);
    if (!control)
        missingControl(window, objectName, window.findChild<QObject*>(objectName),
                       Control::staticMetaObject.className());
    return control;
}

// One of the controls buildControls() returned, as the kind the window expects.
template <typename Control> Control* requireKind(const QWidget& window, QWidget* made) {
    auto* control = qobject_cast<Control*>(made);
    if (!control)
        missingControl(window, made ? made->objectName() : QStringLiteral("(none)"), made,
                       Control::staticMetaObject.className());
    return control;
}
