#include "reader_ops/settings_report.h"

#include "program/output_file.h"

#include <QDir>
#include <QFileInfo>

QByteArray settingsReportText(const SettingsTable& settings) {
    QByteArray text;
    for (int k = 0; k < kSettingsWordCount; ++k) {
        text += QByteArray::number(static_cast<quint32>(settings[k]), 16).toUpper();
        text += "\r\n";
    }
    return text;
}

bool writeSettingsReport(const QString& path, const SettingsTable& settings, QString* error) {
    return writeFileAtomically(path, settingsReportText(settings), error);
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
        reportFailureMessage(context.reportPath, error, QFileInfo(context.reportPath).isFile()));
}

QString defaultSettingsReportPath() {
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\Barcode Settings.txt");
#else
    return QDir::home().filePath(QStringLiteral("Barcode Settings.txt"));
#endif
}
