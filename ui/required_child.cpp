#include "ui/required_child.h"

#include <QtGlobal>

void missingControl(const QWidget& window, const QString& name, const QObject* found,
                    const char* expectedKind) {
    const QString windowName = window.objectName().isEmpty()
                                   ? QLatin1String(window.metaObject()->className())
                                   : window.objectName();
    if (!found)
        qFatal("%s: the layout has no control named \"%s\" (a %s was expected)",
               qPrintable(windowName), qPrintable(name), expectedKind);
    qFatal("%s: the control \"%s\" is a %s, not a %s", qPrintable(windowName), qPrintable(name),
           found->metaObject()->className(), expectedKind);
}
