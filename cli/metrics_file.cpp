#include "cli/metrics_file.h"

#include <QFileInfo>
#include <QSaveFile>

bool writeMetricsFile(const QString& path, const QByteArray& text, QString* error) {
    const QFileInfo target(path);
    if (target.exists() && !target.isFile()) {
        *error = target.isDir() ? QStringLiteral("it is a folder")
                                : QStringLiteral("it is not a regular file");
        return false;
    }
    QSaveFile file(path);
    // Unbuffered, so a short write (full disk, size limit) shows here and not at commit.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *error = file.errorString();
        return false;
    }
    // node_exporter runs as its own user: a new file is readable by all, whatever the umask;
    // an existing one keeps the permissions it was given.
    if (!target.exists())
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                            QFileDevice::ReadGroup | QFileDevice::ReadOther);
    if (file.write(text) != text.size() || file.size() != text.size()) {
        *error = file.error() != QFileDevice::NoError
                     ? file.errorString()
                     : QStringLiteral("only part of it could be written (disk full?)");
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}
