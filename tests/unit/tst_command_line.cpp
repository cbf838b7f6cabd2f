#include "cli/command_line.h"
#include "cli/port_listing.h"
#include "ports/port_catalog.h"
#include "reader_ops/settings_report.h"

#include <QRegularExpression>
#include <QTemporaryDir>
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
        QCOMPARE(outcome.options.command, SubCommand::Window);
        QVERIFY(!outcome.options.simulate);
        QCOMPARE(outcome.options.reportPath, defaultSettingsReportPath());
        QCOMPARE(outcome.options.ports.addressFor(ComPort{1}).text(), QStringLiteral("/dev/ttyS0"));
    }

    void portsReportAndModes() {
        const auto outcome =
            parse({QStringLiteral("--port"), QStringLiteral("COM2=/dev/ttyUSB0"),
                   QStringLiteral("--port=COM5=/tmp/reader"), QStringLiteral("--report"),
                   QStringLiteral("/tmp/r.txt"), QStringLiteral("--simulate")});
        QVERIFY(outcome.run);
        QCOMPARE(outcome.options.ports.addressFor(ComPort{2}).text(),
                 QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(outcome.options.ports.addressFor(ComPort{5}).text(),
                 QStringLiteral("/tmp/reader"));
        QCOMPARE(outcome.options.ports.addressFor(ComPort{3}).text(), QStringLiteral("/dev/ttyS2"));
        QCOMPARE(outcome.options.reportPath, QStringLiteral("/tmp/r.txt"));
        QVERIFY(outcome.options.simulate);
    }

    void commandsAndTheirOptions() {
        const auto verify =
            parse({QStringLiteral("verify"), QStringLiteral("com3"), QStringLiteral("/dev/x"),
                   QStringLiteral("all"), QStringLiteral("--report-dir"), QStringLiteral("/tmp/r"),
                   QStringLiteral("--json"), QStringLiteral("--trace"), QStringLiteral("-")});
        QVERIFY2(verify.run, qPrintable(verify.message));
        QCOMPARE(verify.options.command, SubCommand::Verify);
        QStringList typed;
        for (const PortArgument& argument : verify.options.portArguments)
            typed << argument.typed;
        QCOMPARE(typed, (QStringList{QStringLiteral("com3"), QStringLiteral("/dev/x"),
                                     QStringLiteral("all")}));
        QCOMPARE(verify.options.portArguments.constFirst().com, ComPort{3});
        QVERIFY(verify.options.reportPath.isEmpty()); // commands write reports only when asked
        QCOMPARE(verify.options.reportDir, QStringLiteral("/tmp/r"));
        QCOMPARE(verify.options.tracePath, QStringLiteral("-"));
        QVERIFY(verify.options.json);

        const auto symbols = parse({QStringLiteral("symbologies"), QStringLiteral("COM1"),
                                    QStringLiteral("--enable"), QStringLiteral("UPC, EAN,il2of5"),
                                    QStringLiteral("--disable=code 39"),
                                    QStringLiteral("--disable"), QStringLiteral("IATA")});
        QVERIFY2(symbols.run, qPrintable(symbols.message));
        QCOMPARE(symbols.options.enable, (QList<int>{4, 2}));
        QCOMPARE(symbols.options.disable, (QList<int>{0, 7}));

        QCOMPARE(parse({QStringLiteral("--list-ports")}).options.command, SubCommand::ListPorts);
        const auto assign =
            parse({QStringLiteral("ports"), QStringLiteral("assign"), QStringLiteral("com5"),
                   QStringLiteral("/dev/ttyUSB0"), QStringLiteral("--json")});
        QVERIFY2(assign.run, qPrintable(assign.message));
        QCOMPARE(assign.options.command, SubCommand::ListPorts);
        QVERIFY(assign.options.portsEdit);
        QCOMPARE(assign.options.portsEdit->port, ComPort{5});
        QCOMPARE(assign.options.portsEdit->address.text(), QStringLiteral("/dev/ttyUSB0"));
        QVERIFY(assign.options.json);
        const auto align = parse({QStringLiteral("align"), QStringLiteral("COM2"),
                                  QStringLiteral("--reports"), QStringLiteral("3")});
        QCOMPARE(align.options.reports, 3);
    }

    // Qt's own options reach QApplication whole, as in any Qt program.
    void qtOptionsAreAccepted_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("-style NAME")
            << QStringList{QStringLiteral("-style"), QStringLiteral("fusion")};
        QTest::newRow("-style=NAME") << QStringList{QStringLiteral("-style=fusion")};
        QTest::newRow("-platform")
            << QStringList{QStringLiteral("-platform"), QStringLiteral("offscreen")};
        QTest::newRow("-stylesheet")
            << QStringList{QStringLiteral("-stylesheet"), QStringLiteral("x.qss")};
        QTest::newRow("-reverse") << QStringList{QStringLiteral("-reverse")};
    }
    void qtOptionsAreAccepted() {
        QFETCH(QStringList, arguments);
        const auto outcome = parse(arguments);
        QVERIFY2(outcome.run, qPrintable(outcome.message));
        QCOMPARE(outcome.options.command, SubCommand::Window);
    }

    void badArgumentsGiveOneLineAndStatus2_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("named");
        const auto row = [](const char* name, QStringList arguments, const char* named) {
            QTest::newRow(name) << arguments << QString::fromLatin1(named);
        };
        const QString com1 = QStringLiteral("COM1");
        const QString port = QStringLiteral("--port");
        row("unknown option", {QStringLiteral("--bogus")}, "\"--bogus\"");
        row("malformed port", {port, QStringLiteral("/dev/ttyUSB0")}, "--port");
        row("port out of range", {port, QStringLiteral("COM17=/dev/x")}, "COM1 to COM16");
        row("port without value", {port}, "--port");
        row("malformed address in --port", {port, QStringLiteral("COM2=rfc2217://host")},
            "\"rfc2217://host\"");
        row("malformed address as PORT",
            {QStringLiteral("verify"), QStringLiteral("socket://[::1:4001")},
            "\"socket://[::1:4001\"");
        row("COMn mapped twice", {port, QStringLiteral("COM2=/a"), port, QStringLiteral("COM2=/b")},
            "COM2 is mapped twice");
        row("simulate with COM1 mapped",
            {QStringLiteral("--simulate"), port, QStringLiteral("COM1=/a")}, "--simulate");
        row("empty report", {QStringLiteral("--report"), QString()}, "--report");
        row("stray argument", {com1}, "COM1");
        row("unknown command", {QStringLiteral("frobnicate")}, "\"frobnicate\"");
        row("unknown port", {QStringLiteral("verify"), QStringLiteral("COM99")}, "\"COM99\"");
        row("no port", {QStringLiteral("verify")}, "needs a PORT");
        row("port given twice", {QStringLiteral("verify"), com1, QStringLiteral("com1")}, "twice");
        row("two ports for identify", {QStringLiteral("identify"), com1, QStringLiteral("COM2")},
            "one PORT");
        row("option of another command", {QStringLiteral("verify"), com1, QStringLiteral("--yes")},
            "--yes");
        row("one report, two ports",
            {QStringLiteral("verify"), com1, QStringLiteral("COM2"), QStringLiteral("--report"),
             QStringLiteral("/tmp/r")},
            "--report-dir");
        row("unknown symbology",
            {QStringLiteral("symbologies"), com1, QStringLiteral("--enable"),
             QStringLiteral("Code 39,Code 11")},
            "\"Code 11\"");
        row("enabled and disabled",
            {QStringLiteral("symbologies"), com1, QStringLiteral("--enable"), QStringLiteral("ean"),
             QStringLiteral("--disable"), QStringLiteral("UPC")},
            "both");
        const QString ports = QStringLiteral("ports");
        row("ports with an unknown word", {ports, QStringLiteral("move")}, "\"move\"");
        row("ports assign without a device", {ports, QStringLiteral("assign"), com1},
            "assign COMn DEVICE");
        row("ports free out of range, as typed",
            {ports, QStringLiteral("free"), QStringLiteral("com17")}, "\"com17\"");
        row("port mapped twice, as typed",
            {port, QStringLiteral("com2=/a"), port, QStringLiteral("Com2=/b")}, "Com2 is mapped");
        row("connect bound out of range",
            {QStringLiteral("verify"), QStringLiteral("socket://h:1?timeout=99")},
            "0.1 to 60 seconds, not \"99\"");
        row("device path with a control character", {port, QStringLiteral("COM2=/dev/x\n")},
            "control character");
        row("no report count",
            {QStringLiteral("align"), com1, QStringLiteral("--reports"), QStringLiteral("0")},
            "--reports");
    }
    void badArgumentsGiveOneLineAndStatus2() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, named);
        const auto outcome = parse(arguments);
        QVERIFY(!outcome.run);
        QCOMPARE(outcome.exitCode, 2);
        QVERIFY2(outcome.message.contains(named), qPrintable(outcome.message));
        QVERIFY2(outcome.message.startsWith(QStringLiteral("ksr-utility: ")) &&
                     outcome.message.endsWith(QStringLiteral(" (see --help)")),
                 qPrintable(outcome.message));
        QVERIFY(!outcome.message.contains(QChar(u'\n')));
    }

    void helpAndVersionExitCleanly() {
        const auto help = parse({QStringLiteral("--help")});
        QVERIFY(!help.run);
        QCOMPARE(help.exitCode, 0);
        for (const QString& part :
             {QStringLiteral("--list-ports"), QStringLiteral("verify PORT..."),
              QStringLiteral("Exit status:"), QStringLiteral("--json")})
            QVERIFY2(help.message.contains(part), qPrintable(part));
        // A long home folder wraps the path over lines.
        const auto unwrapped = [](QString text) {
            return text.remove(QRegularExpression(QStringLiteral("\\s")));
        };
        QVERIFY2(unwrapped(help.message).contains(unwrapped(defaultSettingsReportPath())),
                 qPrintable(help.message));
        QVERIFY(!help.message.contains(QStringLiteral("-platform")));

        const auto all = parse({QStringLiteral("--help-all")});
        QVERIFY(!all.run);
        QCOMPARE(all.exitCode, 0);
        QVERIFY(all.message.startsWith(help.message));
        for (const QString& option : {QStringLiteral("-platform"), QStringLiteral("-style"),
                                      QStringLiteral("-stylesheet"), QStringLiteral("-reverse")})
            QVERIFY2(all.message.contains(option), qPrintable(option));

        const auto version = parse({QStringLiteral("--version")});
        QCOMPARE(version.exitCode, 0);
        QVERIFY(version.message.startsWith(QStringLiteral("ksr-utility ")));
    }

    void portListingColumnsLineUp() {
        QTemporaryDir config;
        const PortCatalog catalog(
            [] { return QList<FoundDevice>(); },
            PortStore(config.filePath(QStringLiteral("ports.ini"))),
            {{ComPort{3}, PortAddress::devicePath(QStringLiteral(
                              "/tmp/no/such/folder/usb-serial-adapter-with-a-long-name"))}});
        const QStringList lines = portListing(catalog).split(u'\n');
        const qsizetype state = lines[0].indexOf(QStringLiteral("State"));
        for (int row = 1; row <= 16; ++row) {
            QVERIFY2(lines[row].size() > state && lines[row][state - 1] == u' ' &&
                         lines[row][state - 2] == u' ' && lines[row][state] != u' ',
                     qPrintable(lines[row]));
        }
        QVERIFY(lines[3].contains(QStringLiteral("missing  this run")));
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_command_line.moc"
