#include "ports/port_store.h"

#include "link/port_address.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>

namespace {
const QString kGroup = QStringLiteral("ports");

// QSettings reads nearly anything without complaint: check the lines ourselves, so a file
// damaged by hand is said to be damaged instead of quietly losing its numbers.
QString damage(const QByteArray& text) {
    const QString decoded = QString::fromUtf8(text);
    if (decoded.toUtf8() != text)
        return QStringLiteral("it is not UTF-8 text");
    int number = 0;
    for (const QString& raw : decoded.split(u'\n')) {
        ++number;
        const QString line = raw.trimmed();
        const bool fine = line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#') ||
                          (line.startsWith(u'[') && line.endsWith(u']')) || line.contains(u'=');
        if (!fine)
            return QStringLiteral("line %1 is neither [section] nor key=value").arg(number);
    }
    return {};
}

int comNumber(const QString& key) {
    const auto port = key.startsWith(QStringLiteral("COM")) ? ComPort::parse(key) : std::nullopt;
    return port ? port->number : 0;
}

PortStore::Contents read(const QString& path) {
    PortStore::Contents contents;
    QFile file(path);
    if (!file.exists())
        return contents;
    if (!file.open(QIODevice::ReadOnly)) {
        contents.problem = file.errorString();
        return contents;
    }
    if (const QString why = damage(file.readAll()); !why.isEmpty()) {
        contents.problem = why;
        return contents;
    }
    QSettings settings(path, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError) {
        contents.problem = QStringLiteral("it is not an INI file");
        return contents;
    }
    settings.beginGroup(kGroup);
    for (const QString& key : settings.childKeys()) {
        const int n = comNumber(key);
        const QString identity = settings.value(key).toString();
        if (n > 0 && !identity.isEmpty())
            contents.assignments.insert(n, identity);
    }
    return contents;
}
} // namespace

QString PortStore::defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/ksr-utility/ports.ini");
}

PortStore::Contents PortStore::load() const {
    Contents contents = read(path_);
    if (!contents.problem.isEmpty())
        contents.problem = QStringLiteral("%1 cannot be used: %2; it is left as it is")
                               .arg(path_, contents.problem);
    return contents;
}

bool PortStore::update(const std::function<void(QMap<int, QString>&)>& edit, QString* error) const {
    if (!QDir().mkpath(QFileInfo(path_).absolutePath())) {
        *error = QStringLiteral("cannot make the folder of %1").arg(path_);
        return false;
    }
    // Two programs numbering at once must not both take the same free number: the whole
    // read, edit and write is one step. (QSettings takes "<file>.lock" itself while writing.)
    QLockFile lock(path_ + QStringLiteral(".edit-lock"));
    if (!lock.tryLock(5000)) {
        *error = QStringLiteral("%1 is locked by another program").arg(path_);
        return false;
    }
    const Contents before = load();
    if (!before.problem.isEmpty()) {
        *error = before.problem;
        return false;
    }
    QMap<int, QString> after = before.assignments;
    edit(after);
    QSettings settings(path_, QSettings::IniFormat);
    settings.beginGroup(kGroup);
    for (const ComPort port : ComPort::all()) {
        const int n = port.number;
        const QString key = port.label();
        if (after.contains(n))
            settings.setValue(key, after.value(n));
        else
            settings.remove(key);
    }
    settings.endGroup();
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        *error = QStringLiteral("%1 cannot be written").arg(path_);
        return false;
    }
    return true;
}
