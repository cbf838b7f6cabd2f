#include "reader_ops/settings_report.h"

#include <QDir>
#include <QSaveFile>

QByteArray settingsReportText(const SettingsTable& settings) {
    QByteArray text;
    for (int k = 0; k < kSettingsWordCount; ++k) {
        text += QByteArray::number(static_cast<quint32>(settings[k]), 16).toUpper();
        text += "\r\n";
    }
    return text;
}

bool writeSettingsReport(const QString& path, const SettingsTable& settings, QString* error) {
    QSaveFile file(path);
    // Unbuffered, so a short write (full disk, size limit) shows here and not at commit, where
    // Qt would let a truncated file through.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *error = file.errorString();
        return false;
    }
    const QByteArray text = settingsReportText(settings);
    if (file.write(text) != text.size() || file.size() != text.size()) {
        *error = file.error() != QFileDevice::NoError
                     ? file.errorString()
                     : QStringLiteral("only part of the report could be written (disk full?)");
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

QString defaultSettingsReportPath() {
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\Barcode Settings.txt");
#else
    return QDir::home().filePath(QStringLiteral("Barcode Settings.txt"));
#endif
}
