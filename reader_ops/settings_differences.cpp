#include "reader_ops/settings_differences.h"

#include <QStringList>

QList<SettingsDifference> settingsDifferences(const SettingsTable& expected,
                                              const SettingsTable& read) {
    QList<SettingsDifference> differences;
    for (int k = 0; k < kSettingsWordCount; ++k) {
        const auto at = static_cast<std::size_t>(k);
        if (read[at] != expected[at])
            differences.append({k, expected[at], read[at]});
    }
    return differences;
}

namespace {
QString hexWord(qint32 value) {
    return QStringLiteral("%1").arg(static_cast<quint32>(value), 4, 16, QChar(u'0')).toUpper();
}
} // namespace

QString settingsDifferencesText(const QList<SettingsDifference>& differences) {
    QStringList lines;
    for (const SettingsDifference& d : differences) {
        lines << QStringLiteral("Word %1: expected %2, read %3")
                     .arg(d.index)
                     .arg(hexWord(d.expected), hexWord(d.read));
    }
    return lines.join(QChar(u'\r'));
}
