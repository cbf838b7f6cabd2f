#include "reader_ops/settings_report.h"

#include "reader_ops/message_text.h"

#include <QDir>
#include <QFile>
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
                     : Messages::tr("only part of the report could be written (disk full?)");
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

QString reportFailureMessage(const QString& path, const QString& reason, bool previousKept) {
    const QChar cr = u'\r';
    QString text =
        Messages::tr("The settings report could not be written to:") + cr + path + cr + reason;
    if (previousKept)
        text += cr + Messages::tr("The previous report is unchanged.");
    return text;
}

void saveSettingsReport(OperationContext& context) {
    QString error;
    if (writeSettingsReport(context.reportPath, context.state.ReaderSettings, &error))
        return;
    QStringList& told = context.state.reportFailuresTold;
    if (told.contains(context.reportPath))
        return;
    told.append(context.reportPath);
    context.prompter.warn(
        reportFailureMessage(context.reportPath, error, QFile::exists(context.reportPath)));
}

QString defaultSettingsReportPath() {
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\Barcode Settings.txt");
#else
    return QDir::home().filePath(QStringLiteral("Barcode Settings.txt"));
#endif
}
