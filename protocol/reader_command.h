#pragma once

#include <QByteArray>
#include <QString>

// One reader command on the wire: ESC, the command code, CR. Nothing else.
QByteArray frameCommand(const QString& code);
