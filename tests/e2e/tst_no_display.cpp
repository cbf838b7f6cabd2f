#include "built_programs.h"
#include "simulated_port.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
// The program's environment with every display and platform choice taken away.
QProcessEnvironment withoutDisplay() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    return env;
}

// An X display number nothing serves.
QString deadXDisplay() {
    for (int n = 4093;; ++n) {
        if (!QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)))
            return QStringLiteral(":%1").arg(n);
    }
}

// An X server of our own that lets in only the holder of a cookie nobody is given.
struct GuardedXServer {
    QTemporaryDir dir;
    QProcess xvfb;
    QString display;

    bool start() {
        QFile cookies(dir.filePath(QStringLiteral("cookies")));
        if (!cookies.open(QIODevice::WriteOnly))
            return false;
        // One Xauthority entry for any address and display: family 0xffff, empty address and
        // number, then the name and 16 bytes of data, each after its big-endian length.
        cookies.write(QByteArray::fromHex("ffff000000000012") + "MIT-MAGIC-COOKIE-1" +
                      QByteArray::fromHex("0010") + QByteArray(16, 'k'));
        cookies.close();
        xvfb.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-auth"),
                    cookies.fileName(), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        if (!xvfb.waitForStarted())
            return false;
        while (!xvfb.canReadLine() && xvfb.waitForReadyRead(20000)) {
        }
        display = QStringLiteral(":") + QString::fromLatin1(xvfb.readLine().trimmed());
        return display.size() > 1;
    }
    ~GuardedXServer() {
        xvfb.terminate();
        xvfb.waitForFinished();
    }
};

enum class Outcome { RefusedOnOneLine, Ran };
} // namespace

// Where no window can be shown, the program says so in one line instead of aborting.
class NoDisplayTest : public QObject {
    Q_OBJECT
private slots:
    void startWithoutADisplay_data() {
        QTest::addColumn<QString>("display");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QString>("naming");
        QTest::newRow("no display set") << QString() << QStringList() << Outcome::RefusedOnOneLine
                                        << QStringLiteral("DISPLAY and WAYLAND_DISPLAY");
        const QString dead = deadXDisplay();
        QTest::newRow("an X display nobody serves")
            << dead << QStringList() << Outcome::RefusedOnOneLine << dead;
        QTest::newRow("an X server that refuses us (no cookie)")
            << QStringLiteral("guarded") << QStringList() << Outcome::RefusedOnOneLine
            << QStringLiteral("refused the connection");
        QTest::newRow("--help needs none")
            << QString() << QStringList{QStringLiteral("--help")} << Outcome::Ran << QString();
    }
    void startWithoutADisplay() {
        QFETCH(QString, display);
        QFETCH(QStringList, arguments);
        QFETCH(Outcome, outcome);
        QFETCH(QString, naming);
        QProcessEnvironment env = withoutDisplay();
        GuardedXServer server;
        if (display == QStringLiteral("guarded")) {
            if (!server.start())
                QSKIP("Xvfb could not be started");
            display = server.display;
            env.insert(QStringLiteral("XAUTHORITY"), QStringLiteral("/nonexistent"));
        }
        if (!display.isEmpty())
            env.insert(QStringLiteral("DISPLAY"), display);
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(utilityProgram(), arguments);
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit); // no abort, no core
        const QString err = QString::fromLocal8Bit(program.readAllStandardError());
        if (outcome == Outcome::Ran) {
            QCOMPARE(program.exitCode(), 0);
            QVERIFY2(err.isEmpty(), qPrintable(err));
            return;
        }
        QCOMPARE(program.exitCode(), 1);
        QCOMPARE(err.count(u'\n'), 1);
        QVERIFY2(err.endsWith(u'\n') && err.contains(naming) && err.contains(display) &&
                     err.contains(QStringLiteral("xvfb-run -a")) &&
                     err.contains(QStringLiteral("--list-ports")),
                 qPrintable(err));
    }

    void aPlatformChosenByQtEnvironmentStillStarts() {
        auto reader = startSimulatedReader();
        QTemporaryDir dir;
        QStringList arguments{QStringLiteral("--report"), dir.filePath(QStringLiteral("r.txt")),
                              QStringLiteral("--port"),
                              QStringLiteral("COM1=") + reader->devicePath()};
        for (int n = 2; n <= ComPort::kCount; ++n) // nothing real is probed
            arguments
                << QStringLiteral("--port")
                << QStringLiteral("COM%1=%2").arg(n).arg(dir.filePath(QStringLiteral("none")));
        QProcessEnvironment env = withoutDisplay();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(utilityProgram(), arguments);
        // The window has loaded once it verifies the reader on COM1.
        QTRY_VERIFY_WITH_TIMEOUT(reader->receivedCodes().contains("Z3") ||
                                     program.state() == QProcess::NotRunning,
                                 30000);
        QVERIFY2(reader->receivedCodes().contains("Z3"), program.readAllStandardError());
        program.kill();
        program.waitForFinished();
    }
};

QTEST_MAIN(NoDisplayTest)
#include "tst_no_display.moc"
