#include "program/output_file.h"

#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
#ifdef Q_OS_UNIX
QString kindOf(mode_t mode) {
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISCHR(mode))
        return QStringLiteral("a character device");
    if (S_ISBLK(mode))
        return QStringLiteral("a block device");
    if (S_ISFIFO(mode))
        return QStringLiteral("a FIFO");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    return QStringLiteral("not a regular file");
}

QString notRegular(const QString& what) {
    return QStringLiteral("is %1, not a regular file").arg(what);
}
#endif

// The file that is replaced: the path itself, or the regular file its link leads to.
QString targetOf(const QString& path) {
    const QFileInfo info(path);
    return info.isSymLink() ? info.canonicalFilePath() : path;
}
} // namespace

QString outputFileProblem(const QString& path) {
    if (path.isEmpty())
        return QStringLiteral("is empty");
#ifdef Q_OS_UNIX
    const QByteArray name = QFile::encodeName(path);
    struct stat link {};
    if (::lstat(name.constData(), &link) != 0)
        return errno == ENOENT ? QString() : QString::fromLocal8Bit(std::strerror(errno));
    if (S_ISREG(link.st_mode))
        return {};
    if (!S_ISLNK(link.st_mode))
        return notRegular(kindOf(link.st_mode));
    if (link.st_uid != ::geteuid() && link.st_uid != 0)
        return QStringLiteral("is a symbolic link that belongs to another user");
    struct stat target {};
    if (::stat(name.constData(), &target) != 0)
        return QStringLiteral("is a symbolic link that leads nowhere");
    if (!S_ISREG(target.st_mode))
        return QStringLiteral("is a symbolic link to %1, not to a regular file")
            .arg(kindOf(target.st_mode));
    return {};
#else
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return QStringLiteral("is not a regular file");
    return {};
#endif
}

bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* reason,
                         std::optional<QFileDevice::Permissions> newFilePermissions) {
    const auto refuse = [&](const QString& why) {
        if (reason)
            *reason = why;
        return false;
    };
    if (const QString problem = outputFileProblem(path); !problem.isEmpty())
        return refuse(problem + QStringLiteral("; it was left as it is"));
    QSaveFile file(targetOf(path));
    // Never write in place: a target that cannot be replaced is an error, not a half-written file.
    file.setDirectWriteFallback(false);
    // Unbuffered, so a short write (full disk, size limit) shows here and not at commit, where
    // Qt would let a truncated file through.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return refuse(file.errorString());
    if (newFilePermissions && !QFileInfo::exists(file.fileName()))
        file.setPermissions(*newFilePermissions);
    if (file.write(bytes) != bytes.size() || file.size() != bytes.size()) {
        const QString why = file.error() != QFileDevice::NoError
                                ? file.errorString()
                                : QStringLiteral("only part could be written (disk full?)");
        file.cancelWriting();
        return refuse(why);
    }
    // Something may have been put at the path while the new file was written.
    if (const QString problem = outputFileProblem(path); !problem.isEmpty()) {
        file.cancelWriting();
        return refuse(problem + QStringLiteral("; it was left as it is"));
    }
    if (!file.commit())
        return refuse(file.errorString());
    return true;
}

bool sameFile(const QString& a, const QString& b) {
    const auto resolved = [](const QString& path) {
        const QFileInfo info(path);
        if (info.exists())
            return info.canonicalFilePath();
        // A file still to be made: its folder may be named through links too.
        const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
        return (folder.isEmpty() ? info.absolutePath() : folder) + u'/' + info.fileName();
    };
    return !a.isEmpty() && !b.isEmpty() && resolved(a) == resolved(b);
}
