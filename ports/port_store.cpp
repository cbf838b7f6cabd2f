#include "ports/port_store.h"

#include "link/port_address.h"

#include "program/output_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {
const QString kSection = QStringLiteral("ports");

int comNumber(const QString& key) {
    const auto port = key.startsWith(QStringLiteral("COM")) ? ComPort::parse(key) : std::nullopt;
    return port ? port->number : 0;
}

// A value as INI files write it: bare up to a comment, or quoted with \" and \\ inside.
QString valueOf(QStringView raw) {
    raw = raw.trimmed();
    if (!raw.startsWith(u'"')) {
        const qsizetype comment = raw.indexOf(u';');
        return (comment < 0 ? raw : raw.left(comment)).trimmed().toString();
    }
    QString value;
    for (qsizetype k = 1; k < raw.size(); ++k) {
        if (raw[k] == u'"')
            break;
        if (raw[k] == u'\\' && k + 1 < raw.size())
            ++k;
        value += raw[k];
    }
    return value;
}

QString encoded(const QString& value) {
    static const QRegularExpression plain(
        QStringLiteral("^[^\\s;\"\\\\]([^;\"\\\\]*[^\\s;\"\\\\])?\\z"));
    if (plain.match(value).hasMatch())
        return value;
    QString quoted = value;
    quoted.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    return u'"' + quoted + u'"';
}

// One line of the file, as it stands and as it was understood.
struct Line {
    QString text; // without its line end
    QString section;
    int port = 0; // a COMn key of [ports]
    QString value;
};

QList<Line> linesOf(const QString& text, PortStore::Contents* contents) {
    QList<Line> lines;
    QString section;
    QMap<int, int> seenAt;
    const QStringList raw = text.split(u'\n');
    for (qsizetype k = 0; k < raw.size(); ++k) {
        Line line{raw[k].endsWith(u'\r') ? raw[k].chopped(1) : raw[k], section, 0, {}};
        const QString t = line.text.trimmed();
        const int number = int(k) + 1;
        const bool comment = t.isEmpty() || t.startsWith(u';') || t.startsWith(u'#');
        if (comment) {
            lines << line;
            continue;
        }
        if (t.startsWith(u'[') && t.endsWith(u']')) {
            section = t.mid(1, t.size() - 2).trimmed();
            line.section = section;
        } else if (const qsizetype eq = t.indexOf(u'='); eq >= 0) {
            const int port = section == kSection ? comNumber(t.left(eq).trimmed()) : 0;
            if (port > 0) {
                line.port = port;
                line.value = valueOf(QStringView(t).mid(eq + 1));
                if (seenAt.contains(port))
                    contents->notices << QStringLiteral("line %1 gives COM%2 again (first on "
                                                        "line %3); line %1 is used")
                                             .arg(number)
                                             .arg(port)
                                             .arg(seenAt.value(port));
                else
                    seenAt.insert(port, number);
            }
        } else if (contents->problem.isEmpty()) {
            contents->problem =
                QStringLiteral("line %1 is neither [section] nor key=value").arg(number);
        }
        lines << line;
    }
    return lines;
}
} // namespace

PortStore::Contents parsePortsFile(const QByteArray& text) {
    PortStore::Contents contents;
    const QString decoded = QString::fromUtf8(text);
    if (decoded.toUtf8() != text) {
        contents.problem = QStringLiteral("it is not UTF-8 text");
        return contents;
    }
    for (const Line& line : linesOf(decoded, &contents)) {
        if (line.port == 0)
            continue;
        if (line.value.isEmpty())
            contents.assignments.remove(line.port);
        else
            contents.assignments.insert(line.port, line.value);
    }
    if (!contents.problem.isEmpty())
        contents.assignments.clear();
    return contents;
}

QByteArray rewritePortsFile(const QByteArray& text, const QMap<int, QString>& assignments) {
    if (parsePortsFile(text).assignments == assignments)
        return text;
    PortStore::Contents before;
    const QString decoded = QString::fromUtf8(text);
    const QString lineEnd =
        decoded.contains(QStringLiteral("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QList<Line> lines = linesOf(decoded, &before);
    const QMap<int, QString> old = parsePortsFile(text).assignments;
    // The line that gives each number its value now (the last one, as when read).
    QMap<int, qsizetype> used;
    qsizetype endOfSection = -1;
    for (qsizetype k = 0; k < lines.size(); ++k) {
        if (lines[k].port > 0)
            used.insert(lines[k].port, k);
        if (lines[k].section == kSection && !lines[k].text.trimmed().isEmpty())
            endOfSection = k;
    }
    QStringList out;
    for (qsizetype k = 0; k < lines.size(); ++k) {
        const Line& line = lines[k];
        const int port = line.port;
        if (port == 0 || old.value(port) == assignments.value(port)) {
            out << line.text; // untouched: comments, other keys, unchanged numbers
        } else if (used.value(port) == k && assignments.contains(port)) {
            out << QStringLiteral("%1=%2").arg(ComPort{port}.label(),
                                               encoded(assignments.value(port)));
        }
        if (k == endOfSection) {
            for (auto it = assignments.begin(); it != assignments.end(); ++it) {
                if (!used.contains(it.key()))
                    out << QStringLiteral("%1=%2").arg(ComPort{it.key()}.label(),
                                                       encoded(it.value()));
            }
        }
    }
    if (endOfSection < 0 && !assignments.isEmpty()) {
        if (!out.isEmpty() && out.constLast().isEmpty())
            out.removeLast();
        if (!out.isEmpty())
            out << QString();
        out << u'[' + kSection + u']';
        for (auto it = assignments.begin(); it != assignments.end(); ++it)
            out << QStringLiteral("%1=%2").arg(ComPort{it.key()}.label(), encoded(it.value()));
        out << QString();
    }
    return out.join(lineEnd).toUtf8();
}

QString PortStore::defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/ksr-utility/ports.ini");
}

namespace {
// The file's bytes, or why they cannot be read; no file reads as empty.
bool readFile(const QString& path, QByteArray* text, QString* problem) {
    QFile file(path);
    if (!QFileInfo(path).isSymLink() && !file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        *problem = file.errorString();
        return false;
    }
    *text = file.readAll();
    return true;
}

QString readOnlyNotice(const QString& path) {
    return QStringLiteral("%1 is a symbolic link: it is read, and never written through").arg(path);
}
} // namespace

PortStore::Contents PortStore::load() const {
    QByteArray text;
    QString problem;
    Contents contents;
    if (readFile(path_, &text, &problem))
        contents = parsePortsFile(text);
    else
        contents.problem = problem;
    if (!contents.problem.isEmpty())
        contents.problem = QStringLiteral("%1 cannot be used: %2; it is left as it is")
                               .arg(path_, contents.problem);
    for (QString& notice : contents.notices)
        notice = path_ + QStringLiteral(": ") + notice;
    if (QFileInfo(path_).isSymLink())
        contents.notices.prepend(readOnlyNotice(path_));
    return contents;
}

bool PortStore::update(const std::function<void(QMap<int, QString>&)>& edit, QString* error) const {
    if (QFileInfo(path_).isSymLink()) {
        *error = readOnlyNotice(path_);
        return false;
    }
    if (!QDir().mkpath(QFileInfo(path_).absolutePath())) {
        *error = QStringLiteral("cannot make the folder of %1").arg(path_);
        return false;
    }
    // Two programs numbering at once must not both take the same free number, nor one undo
    // the other's: the whole read, edit and write is one step.
    QLockFile lock(path_ + QStringLiteral(".edit-lock"));
    if (!lock.tryLock(lockWaitMs_)) {
        *error = lock.error() == QLockFile::LockFailedError
                     ? QStringLiteral("%1 is being written by another program").arg(path_)
                     : QStringLiteral("%1 cannot be locked for writing").arg(path_);
        return false;
    }
    QByteArray text;
    QString problem;
    if (!readFile(path_, &text, &problem)) {
        *error = QStringLiteral("%1 cannot be read: %2").arg(path_, problem);
        return false;
    }
    const Contents before = parsePortsFile(text);
    if (!before.problem.isEmpty()) {
        *error =
            QStringLiteral("%1 cannot be used: %2; it is left as it is").arg(path_, before.problem);
        return false;
    }
    QMap<int, QString> after = before.assignments;
    edit(after);
    if (after == before.assignments)
        return true;
    QString why;
    if (!writeFileAtomically(path_, rewritePortsFile(text, after), &why)) {
        *error = QStringLiteral("%1 cannot be written: %2").arg(path_, why);
        return false;
    }
    return true;
}
