#include "reader_ops/settings_differences.h"

#include "protocol/hex_format.h"

#include <QStringList>

QString settingsDifferencesText(const QList<WordDifference>& differences) {
    const auto hex = [](qint32 value) {
        return QString::fromLatin1(fourDigitHex(static_cast<quint32>(value)));
    };
    QStringList lines;
    for (const WordDifference& d : differences) {
        lines << QStringLiteral("Word %1: expected %2, read %3")
                     .arg(d.index)
                     .arg(hex(d.expected), hex(d.read));
    }
    return lines.join(QChar(u'\r'));
}
