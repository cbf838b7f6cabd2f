// Outputs that are not what they seem: whatever stands where a report should go is left as it
// is, a trace never holds the program up, and a result that nobody received is no success.
#include "program/output_file.h"
#include "utility_process.h"

#include <QLocalServer>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {
const QString kPath = QStringLiteral("%path");

// What is put at the report's path before the run.
enum class Thing { File, Fifo, Socket, Folder, Device, DanglingLink, LinkToFifo };

// Its kind, as the file system says it; the same after the run means it was left alone.
mode_t kindAt(const QString& path) {
    struct stat s {};
    return ::lstat(QFile::encodeName(path).constData(), &s) == 0 ? s.st_mode & S_IFMT : 0;
}
} // namespace

Q_DECLARE_METATYPE(Thing)

class HostileOutputsTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir;
    QLocalServer socket;

    bool make(Thing thing, const QString& path) {
        const QByteArray name = QFile::encodeName(path);
        switch (thing) {
        case Thing::File: {
            QFile file(path);
            return file.open(QIODevice::WriteOnly) && file.write("kept\n") == 5;
        }
        case Thing::Fifo:
            return ::mkfifo(name.constData(), 0600) == 0;
        case Thing::Socket:
            return socket.listen(path);
        case Thing::Folder:
            return QDir().mkpath(path);
        case Thing::Device:
            // A copy of /dev/full's node where that may be made; /dev/full itself elsewhere.
            return ::mknod(name.constData(), S_IFCHR | 0600, makedev(1, 7)) == 0 ||
                   QFile::link(QStringLiteral("/dev/full"), path);
        case Thing::DanglingLink:
            return QFile::link(dir.filePath(QStringLiteral("nowhere")), path);
        case Thing::LinkToFifo:
            return make(Thing::Fifo, path + QStringLiteral(".fifo")) &&
                   QFile::link(path + QStringLiteral(".fifo"), path);
        }
        return false;
    }

private slots:
    void init() { socket.close(); }

    // Refused before anything is sent, with one line naming the path, and left as it was.
    void outputIsNeverReplaced_data() {
        QTest::addColumn<Thing>("thing");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("said");
        const QStringList verify{QStringLiteral("verify"), QStringLiteral("COM1"),
                                 QStringLiteral("--simulate")};
        const QStringList report{QStringLiteral("--report"), kPath};
        const auto notRegular = [](const char* what) {
            return QString::fromLatin1(what) + QStringLiteral(", not a regular file");
        };
        QTest::newRow("FIFO") << Thing::Fifo << verify + report << notRegular("is a FIFO");
        QTest::newRow("socket") << Thing::Socket << verify + report << notRegular("is a socket");
        QTest::newRow("folder") << Thing::Folder << verify + report << notRegular("is a folder");
        QTest::newRow("device") << Thing::Device << verify + report << "device";
        QTest::newRow("link to nothing")
            << Thing::DanglingLink << verify + report << QStringLiteral("leads nowhere");
        QTest::newRow("link to a FIFO")
            << Thing::LinkToFifo << verify + report << QStringLiteral("symbolic link to a FIFO");
        QTest::newRow("a FIFO in the report folder")
            << Thing::Fifo << verify + QStringList{QStringLiteral("--report-dir"), dir.path()}
            << notRegular("COM1.txt is a FIFO");
        QTest::newRow("the trace is the report")
            << Thing::File << verify + report + QStringList{QStringLiteral("--trace"), kPath}
            << QStringLiteral("give each its own file");
        QTest::newRow("the window's report") << Thing::Fifo << report << notRegular("is a FIFO");
    }
    void outputIsNeverReplaced() {
        QFETCH(Thing, thing);
        QFETCH(QStringList, arguments);
        QFETCH(QString, said);
        const QString path = dir.filePath(arguments.contains(QStringLiteral("--report-dir"))
                                              ? QStringLiteral("COM1.txt")
                                              : QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(make(thing, path));
        const mode_t before = kindAt(path);
        const Run run = runUtility(arguments.replaceInStrings(kPath, path), dir.path());
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains(said) && run.err.count(u'\n') == 1, qPrintable(describe(run)));
        QCOMPARE(kindAt(path), before);
        // Met later (the window's report, the Line window's Save), it is refused all the same.
        QString why;
        QVERIFY(thing == Thing::File || !writeFileAtomically(path, "new\n", &why));
        QCOMPARE(kindAt(path), before);
        QFile kept(path);
        QVERIFY(thing != Thing::File ||
                (kept.open(QIODevice::ReadOnly) && kept.readAll() == "kept\n"));
        QVERIFY(!run.err.contains(QStringLiteral("Online")));
    }

    // Standard output full, closed, or read by nobody: exit status not 0, and it is said.
    void resultNobodyReceivedIsNoSuccess_data() {
        QTest::addColumn<QString>("shell");
        const QString run = QStringLiteral("{ \"$0\" verify COM1 --simulate --json %1; "
                                           "echo \"exit $?\" >&2; }");
        QTest::newRow("full") << run.arg(QStringLiteral("> /dev/full"));
        QTest::newRow("closed") << run.arg(QStringLiteral(">&-"));
        QTest::newRow("reader gone") << run.arg(QString()) + QStringLiteral(" | exec 0<&-");
    }
    void resultNobodyReceivedIsNoSuccess() {
        QFETCH(QString, shell);
        const Run run = runUtility({}, dir.path(), {}, {}, {QStringLiteral("-c"), shell});
        QVERIFY2(run.err.contains(QStringLiteral("the result could not be written to standard "
                                                 "output")) &&
                     run.err.contains(QStringLiteral("exit 1")),
                 qPrintable(describe(run)));
    }

    // A FIFO that nothing reads: said once, and the command does its work.
    void traceToAFifoNobodyReads() {
        const QString fifo = dir.filePath(QStringLiteral("trace"));
        QVERIFY(make(Thing::Fifo, fifo));
        const Run run = runUtility({QStringLiteral("verify"), QStringLiteral("COM1"),
                                    QStringLiteral("--simulate"), QStringLiteral("--trace"), fifo},
                                   dir.path());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err.count(QStringLiteral("it is a FIFO that nothing reads")), 1);
        QVERIFY2(run.out.contains(QStringLiteral(" ok ")), qPrintable(describe(run)));
    }
};

QTEST_GUILESS_MAIN(HostileOutputsTest)
#include "tst_hostile_outputs.moc"
