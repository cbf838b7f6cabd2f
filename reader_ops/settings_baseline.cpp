#include "reader_ops/settings_baseline.h"

#include <QFile>
#include <QFileInfo>

#include <cctype>

namespace {
// A report is 39 short lines; anything much longer is some other file.
constexpr qint64 kLongestReport = 4096;

bool isHexWord(const QByteArray& line) {
    if (line.isEmpty() || line.size() > 4)
        return false;
    for (const char c : line) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

// The line as a message may quote it: printable, and not too long.
QString quotedLine(const QByteArray& line) {
    QString text = QString::fromLatin1(line.left(16));
    for (QChar& c : text) {
        if (c.unicode() < 0x20 || c.unicode() >= 0x7F)
            c = u'?';
    }
    return u'"' + text + (line.size() > 16 ? QStringLiteral("...\"") : QStringLiteral("\""));
}
} // namespace

std::optional<SettingsTable> parseSettingsBaseline(const QByteArray& text, QString* error) {
    QList<QByteArray> lines = text.split('\n');
    // The last line's LF ends it; nothing follows.
    if (lines.constLast().isEmpty())
        lines.removeLast();
    SettingsTable words{};
    for (qsizetype k = 0; k < lines.size(); ++k) {
        QByteArray line = lines[k];
        if (line.endsWith('\r'))
            line.chop(1);
        const auto number = k + 1;
        if (k >= kSettingsWordCount) {
            *error = QStringLiteral("line %1: a settings report has %2 lines, this file has %3")
                         .arg(number)
                         .arg(kSettingsWordCount)
                         .arg(lines.size());
            return std::nullopt;
        }
        if (!isHexWord(line)) {
            *error = QStringLiteral("line %1: %2 is not a settings word (1 to 4 hexadecimal "
                                    "digits)")
                         .arg(number)
                         .arg(line.isEmpty() ? QStringLiteral("an empty line") : quotedLine(line));
            return std::nullopt;
        }
        words[static_cast<std::size_t>(k)] = static_cast<qint32>(line.toUInt(nullptr, 16));
    }
    if (lines.size() < kSettingsWordCount) {
        *error = QStringLiteral("line %1: the file ends after %2 lines; a settings report has %3")
                     .arg(lines.size() + 1)
                     .arg(lines.size())
                     .arg(kSettingsWordCount);
        return std::nullopt;
    }
    return words;
}

std::optional<SettingsTable> readSettingsBaseline(const QString& path, QString* error) {
    const QFileInfo info(path);
    QFile file(path);
    QString problem;
    // Only a regular file: a FIFO or a device could hold the command up for ever.
    if (!info.exists())
        problem = QStringLiteral("no such file");
    else if (!info.isFile())
        problem = QStringLiteral("not a regular file");
    else if (!file.open(QIODevice::ReadOnly))
        problem = file.errorString();
    if (!problem.isEmpty()) {
        *error = path + QStringLiteral(": ") + problem;
        return std::nullopt;
    }
    const QByteArray text = file.read(kLongestReport + 1);
    if (text.size() > kLongestReport) {
        *error = path + QStringLiteral(": too long for a settings report (39 short lines)");
        return std::nullopt;
    }
    auto words = parseSettingsBaseline(text, &problem);
    if (!words)
        *error = path + QStringLiteral(": ") + problem;
    return words;
}
