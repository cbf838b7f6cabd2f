#include "app/command_line.h"

#include <QTest>

class CommandLineTest : public QObject {
    Q_OBJECT
private:
    static CommandLineOutcome parse(QStringList arguments) {
        arguments.prepend(QStringLiteral("ksr-utility"));
        return parseCommandLine(arguments);
    }

private slots:
    void defaults() {
        const auto outcome = parse({});
        QVERIFY(outcome.run);
        QVERIFY(!outcome.options.simulate);
        QVERIFY(!outcome.options.listPorts);
        QVERIFY(outcome.options.reportPath.endsWith(QStringLiteral("/Barcode Settings.txt")));
        QCOMPARE(outcome.options.ports.deviceFor(1), QStringLiteral("/dev/ttyS0"));
    }

    void portsReportAndModes() {
        const auto outcome = parse({QStringLiteral("--port"), QStringLiteral("COM2=/dev/ttyUSB0"),
                                    QStringLiteral("--port=COM5=/tmp/reader"),
                                    QStringLiteral("--report"), QStringLiteral("/tmp/r.txt"),
                                    QStringLiteral("--simulate"), QStringLiteral("--list-ports")});
        QVERIFY(outcome.run);
        QCOMPARE(outcome.options.ports.deviceFor(2), QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(outcome.options.ports.deviceFor(5), QStringLiteral("/tmp/reader"));
        QCOMPARE(outcome.options.ports.deviceFor(3), QStringLiteral("/dev/ttyS2"));
        QCOMPARE(outcome.options.reportPath, QStringLiteral("/tmp/r.txt"));
        QVERIFY(outcome.options.simulate);
        QVERIFY(outcome.options.listPorts);
    }

    void badArgumentsGiveOneLineAndStatus2_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("named");
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--bogus")} << "bogus";
        QTest::newRow("malformed port")
            << QStringList{QStringLiteral("--port"), QStringLiteral("/dev/ttyUSB0")} << "--port";
        QTest::newRow("port out of range")
            << QStringList{QStringLiteral("--port"), QStringLiteral("COM17=/dev/x")} << "--port";
        QTest::newRow("port without value") << QStringList{QStringLiteral("--port")} << "port";
        QTest::newRow("empty report")
            << QStringList{QStringLiteral("--report"), QString()} << "--report";
        QTest::newRow("stray argument") << QStringList{QStringLiteral("COM1")} << "COM1";
    }
    void badArgumentsGiveOneLineAndStatus2() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, named);
        const auto outcome = parse(arguments);
        QVERIFY(!outcome.run);
        QCOMPARE(outcome.exitCode, 2);
        QVERIFY2(outcome.message.contains(named), qPrintable(outcome.message));
        QVERIFY(!outcome.message.trimmed().contains(QChar(u'\n')));
    }

    void helpAndVersionExitCleanly() {
        const auto help = parse({QStringLiteral("--help")});
        QVERIFY(!help.run);
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.message.contains(QStringLiteral("--list-ports")));
        const auto version = parse({QStringLiteral("--version")});
        QCOMPARE(version.exitCode, 0);
        QVERIFY(version.message.startsWith(QStringLiteral("ksr-utility ")));
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_command_line.moc"
