#include "cli/port_result.h"
#include "cli/port_targets.h"
#include "port_values.h"
#include "protocol/settings_words.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTest>

namespace {
PortResult result(const char* port, PortStatus status) {
    PortResult r;
    r.port = QLatin1String(port);
    r.device = QStringLiteral("/dev/pts/") + r.port.right(1);
    r.status = status;
    return r;
}

SettingsTable defaultWords() {
    ReaderState state;
    state.fillDefaultSettings();
    return state.DefaultSettings;
}
} // namespace

using Statuses = QList<PortStatus>;

// The pure parts of the commands: which ports, the exit status, the table and the JSON document.
class CliUnitsTest : public QObject {
    Q_OBJECT
private slots:
    void exitStatusTakesTheWorstPort_data() {
        QTest::addColumn<Statuses>("statuses");
        QTest::addColumn<bool>("reportFailed");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("all good") << Statuses{PortStatus::Ok, PortStatus::Ok} << false << 0;
        QTest::newRow("one differs") << Statuses{PortStatus::Ok, PortStatus::Differs} << false << 1;
        QTest::newRow("one silent") << Statuses{PortStatus::NoAnswer, PortStatus::Ok} << false << 1;
        QTest::newRow("report not written") << Statuses{PortStatus::Ok} << true << 1;
        QTest::newRow("one busy beats one differing")
            << Statuses{PortStatus::Differs, PortStatus::OpenFailed, PortStatus::Ok} << false << 3;
        QTest::newRow("one lost") << Statuses{PortStatus::Lost, PortStatus::Differs} << false << 3;
    }
    void exitStatusTakesTheWorstPort() {
        QFETCH(Statuses, statuses);
        QFETCH(bool, reportFailed);
        QFETCH(int, exitCode);
        QList<PortResult> results;
        for (const PortStatus status : statuses)
            results << result("COM1", status);
        if (reportFailed)
            results[0].reportError = QStringLiteral("disk full");
        QCOMPARE(exitStatus(results), exitCode);
    }

    void portsResolve() {
        const PortMap ports = portsFor({{2, QStringLiteral("/tmp/two")},
                                        {5, QStringLiteral("/tmp/five")},
                                        {9, QStringLiteral("rfc2217://[::1]:4001")}});
        const auto arguments = [](const QStringList& words) {
            QStringList line{QStringLiteral("ksr-utility"), QStringLiteral("verify")};
            const CommandLineOutcome outcome = parseCommandLine(line + words);
            if (!outcome.run)
                qFatal("%s", qPrintable(outcome.message));
            return outcome.options.portArguments;
        };
        QString error;
        const auto targets =
            resolvePorts(arguments({QStringLiteral("COM5"), QStringLiteral("/tmp/other"),
                                    QStringLiteral("all"), QStringLiteral("COM7")}),
                         ports, &error);
        QVERIFY2(targets, qPrintable(error));
        QStringList labels, devices;
        QList<bool> optional;
        for (const PortTarget& t : *targets) {
            labels << t.label;
            devices << t.address.text();
            optional << t.optional;
        }
        // COM5, named and found by "all", counts once and is not left out should it be missing;
        // COM7 has no device and fails when opened; COM9, on the network, is always tried.
        QCOMPARE(labels, (QStringList{QStringLiteral("COM5"), QStringLiteral("/tmp/other"),
                                      QStringLiteral("COM2"), QStringLiteral("COM9"),
                                      QStringLiteral("COM7")}));
        QCOMPARE(devices, (QStringList{QStringLiteral("/tmp/five"), QStringLiteral("/tmp/other"),
                                       QStringLiteral("/tmp/two"),
                                       QStringLiteral("rfc2217://[::1]:4001"), QString()}));
        QCOMPARE(optional, (QList<bool>{false, false, true, false, false}));
        QCOMPARE(reportFileName(targets->at(0)), QStringLiteral("COM5.txt"));
        QCOMPARE(reportFileName(targets->at(1)), QStringLiteral("tmp_other.txt"));
        QCOMPARE(reportFileName({QStringLiteral("rfc2217://[::1]:4001"),
                                 {},
                                 addressOf(QStringLiteral("rfc2217://[::1]:4001")),
                                 false}),
                 QStringLiteral("rfc2217_1_4001.txt"));

        QVERIFY(!resolvePorts(arguments({QStringLiteral("COM2"), QStringLiteral("/tmp/two")}),
                              ports, &error));
        QVERIFY2(error.contains(QStringLiteral("same device")), qPrintable(error));
    }

    void tableAndJsonShowEachPort() {
        PortResult good = result("COM1", PortStatus::Ok);
        good.verified = true;
        good.firmware = QString::fromLatin1(kExpectedFirmware);
        good.words = defaultWords();
        good.report = QStringLiteral("/tmp/r/COM1.txt");
        PortResult differs = result("COM12", PortStatus::Differs);
        differs.verified = true;
        differs.firmware = good.firmware;
        differs.words = defaultWords();
        (*differs.words)[12] = 0x09E5;
        differs.differences = {{12, 0x09E4, 0x09E5}};
        differs.warnings = {QStringLiteral("Settings are different from Default values")};
        PortResult busy = result("COM3", PortStatus::OpenFailed);
        // A name that would draw a row of its own, raw.
        busy.device = QStringLiteral("/dev/serial/by-id/usb-FTDI\nCOM9  x  ok\x1b[2J");
        busy.error = QStringLiteral("in use by another program");
        const QList<PortResult> results{good, differs, busy};

        const QStringList lines = resultTable(SubCommand::Verify, results).split(u'\n');
        QCOMPARE(lines.size(), 5); // header, three ports, the final newline
        for (const QString& column :
             {QStringLiteral("Status"), QStringLiteral("Details"), QStringLiteral("Report")}) {
            const qsizetype at = lines[0].indexOf(column);
            for (int row = 1; row <= 3; ++row)
                QVERIFY2(lines[row][at - 1] == u' ' && lines[row][at] != u' ', qPrintable(column));
        }
        QVERIFY(lines[2].contains(QStringLiteral("word 12: 09E5 (expected 09E4)")));
        QVERIFY(lines[3].contains(QStringLiteral("in use by another program")));
        QVERIFY(lines[3].contains(QStringLiteral("usb-FTDI<LF>COM9  x  ok<ESC>[2J")));
        QCOMPARE(warningLines(results),
                 QStringList{QStringLiteral("COM12: Settings are different from Default values")});

        const QJsonObject document = resultJson(SubCommand::Verify, results).object();
        QCOMPARE(document.value(QStringLiteral("exitStatus")).toInt(), 3);
        const QJsonArray ports = document.value(QStringLiteral("ports")).toArray();
        const QJsonObject first = ports[0].toObject();
        QCOMPARE(first.value(QStringLiteral("status")).toString(), QStringLiteral("ok"));
        QCOMPARE(first.value(QStringLiteral("words")).toArray().size(), kSettingsWordCount);
        QCOMPARE(first.value(QStringLiteral("words")).toArray()[8].toString(),
                 QStringLiteral("0019"));
        QCOMPARE(first.value(QStringLiteral("report")).toString(), good.report);
        QVERIFY(first.value(QStringLiteral("error")).isNull());
        QCOMPARE(ports[1].toObject().value(QStringLiteral("differences")).toArray(),
                 (QJsonArray{QJsonObject{{QStringLiteral("index"), 12},
                                         {QStringLiteral("expected"), QStringLiteral("09E4")},
                                         {QStringLiteral("read"), QStringLiteral("09E5")}}}));
        const QJsonObject third = ports[2].toObject();
        QCOMPARE(third.value(QStringLiteral("status")).toString(), QStringLiteral("open-failed"));
        QCOMPARE(third.value(QStringLiteral("error")).toString(), busy.error);
        QVERIFY(third.value(QStringLiteral("words")).isNull());
        QCOMPARE(
            third.value(QStringLiteral("firmware")).toObject().value(QStringLiteral("expected")),
            QJsonValue(QString::fromLatin1(kExpectedFirmware)));
    }
};

QTEST_GUILESS_MAIN(CliUnitsTest)
#include "tst_cli_units.moc"
