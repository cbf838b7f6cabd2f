#include "protocol/reader_command.h"

QByteArray frameCommand(const QString& code) {
    QByteArray frame;
    frame.reserve(code.size() + 2);
    frame.append('\x1b');
    frame.append(code.toLatin1());
    frame.append('\r');
    return frame;
}
