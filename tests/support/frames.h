#pragma once

#include <QByteArray>
#include <QStringList>

// Reader commands as they go over the line: ESC, the code, CR, one after another.
inline QByteArray frames(const QStringList& codes) {
    QByteArray bytes;
    for (const QString& code : codes)
        bytes += '\x1b' + code.toLatin1() + '\r';
    return bytes;
}
inline QByteArray frames(std::initializer_list<const char*> codes) {
    QStringList list;
    for (const char* code : codes)
        list << QLatin1String(code);
    return frames(list);
}
