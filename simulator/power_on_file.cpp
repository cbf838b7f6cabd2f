#include "simulator/power_on_file.h"

#include "protocol/hex_format.h"

#include <QFile>
#include <QSaveFile>

std::optional<SettingsWords> readPowerOnFile(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = path + QStringLiteral(": ") + file.errorString();
        return std::nullopt;
    }
    // Far more than 39 short lines: not a file of ours.
    const QList<QByteArray> lines = file.read(4096).trimmed().split('\n');
    SettingsWords words{};
    if (lines.size() != qsizetype(words.size())) {
        *error =
            path + QStringLiteral(": expected %1 lines of hexadecimal words").arg(words.size());
        return std::nullopt;
    }
    for (std::size_t k = 0; k < words.size(); ++k) {
        const QByteArray field = lines[qsizetype(k)].trimmed();
        bool ok = false;
        const uint value = field.toUInt(&ok, 16);
        if (!ok || field.isEmpty() || field.size() > 4) {
            *error =
                path +
                QStringLiteral(": line %1 is not a word of up to 4 hexadecimal digits").arg(k + 1);
            return std::nullopt;
        }
        words[k] = static_cast<quint16>(value);
    }
    return words;
}

bool writePowerOnFile(const QString& path, const SettingsWords& words, QString* error) {
    QByteArray text;
    for (const quint16 word : words)
        text += fourDigitHex(word) + '\n';
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        *error = path + QStringLiteral(": ") + file.errorString();
        return false;
    }
    return true;
}
