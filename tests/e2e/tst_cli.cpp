// The commands without a window, run as a user runs them: the built ksr-utility, no display and
// no Qt platform in its environment, against ksr-reader-sim processes on pseudo-terminals.
#include "frames.h"
#include "link/reader_link.h"
#include "reader_ops/default_config.h"
#include "reader_ops/reader_state.h"
#include "reader_ops/settings_report.h"
#include "reader_ops/symbology_identification.h"
#include "simulated_port.h"
#include "simulator/reader_model.h"
#include "utility_process.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <tuple>
#include <vector>

namespace {
constexpr int kNobody = -1;
} // namespace

using Options = QList<QStringList>;
using Bytes = QList<QByteArray>;

class CliTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir;

private slots:
    // What each command puts on each line, what it prints, and how it exits.
    void commandsOnTheLine_data() {
        QTest::addColumn<Options>("readers"); // ksr-reader-sim options of COM1, COM2, ...
        QTest::addColumn<int>("held");        // the reader whose port another program holds
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<Bytes>("sent");
        QTest::addColumn<QStringList>("output"); // "!" for what must not be shown
        QTest::addColumn<QStringList>("errors");
        const auto s = [](const char* text) { return QString::fromLatin1(text); };
        const QByteArray z3 = frames({"Z3"});
        const QStringList two{s("COM1"), s("COM2")};

        QTest::newRow("verify, all good")
            << Options{{}, {}} << kNobody << QStringList{s("verify")} + two << 0 << Bytes{z3, z3}
            << QStringList{s("COM1  "), s("COM2  "), s("ok      KWMR5817  as expected")}
            << QStringList{};
        // COM3 to COM16 stand for devices that are not there: "all" leaves them out.
        QStringList absent;
        for (int n = 3; n <= 16; ++n)
            absent << s("--port") << QStringLiteral("COM%1=%2/absent%1").arg(n).arg(dir.path());
        QTest::newRow("verify all")
            << Options{{}, {}} << kNobody << QStringList{s("verify"), s("all")} + absent << 0
            << Bytes{z3, z3} << QStringList{s("COM1  "), s("COM2  "), s("!COM3")} << QStringList{};
        QTest::newRow("verify, one differs")
            << Options{{}, {s("--word"), s("12=09E5")}} << kNobody << QStringList{s("verify")} + two
            << 1 << Bytes{z3, z3} << QStringList{s("differs"), s("word 12: 09E5 (expected 09E4)")}
            << QStringList{s("COM2: Settings are different from Default values")};
        QTest::newRow("verify, one silent")
            << Options{{}, {s("--silent")}} << kNobody << QStringList{s("verify")} + two << 1
            << Bytes{z3, z3} << QStringList{s("no-answer")}
            << QStringList{s("COM2: No Response from Barcode Reader on COM2")};
        QTest::newRow("verify, one busy")
            << Options{{}, {}} << 1 << QStringList{s("verify")} + two << 3
            << Bytes{z3, QByteArray()}
            << QStringList{s("open-failed"), s("in use by another program")} << QStringList{};
        QTest::newRow("defaults") << Options{{}} << kNobody << QStringList{s("defaults"), s("COM1")}
                                  << 0 << Bytes{frames({"+5", "U4", "D0", "F0", "ST", "-K", "1R"})}
                                  << QStringList{s("VORN defaults sent")} << QStringList{};
        QTest::newRow("save --yes")
            << Options{{}} << kNobody << QStringList{s("save"), s("COM1"), s("--yes")} << 0
            << Bytes{frames({"Z3", "Z2"})} << QStringList{s("ok      yes")} << QStringList{};
        QTest::newRow("save without --yes or a terminal")
            << Options{{}} << kNobody << QStringList{s("save"), s("COM1")} << 2
            << Bytes{QByteArray()} << QStringList{} << QStringList{s("add --yes (see --help)")};
        QTest::newRow("identify") << Options{{s("--barcode"), s("code128:Test-128")}} << kNobody
                                  << QStringList{s("identify"), s("COM1"), s("--no-prompt")} << 0
                                  << Bytes{frames(identificationCommands()) + frames({"S7", "1Y"})}
                                  << QStringList{s("Code 128   Test-128")} << QStringList{};
        // IATA reads from the bits of "IL 2 of 5", which stays on: it still shows on.
        QTest::newRow("symbologies, one on and one off")
            << Options{{}} << kNobody
            << QStringList{s("symbologies"), s("COM1"),      s("--enable"),
                           s("msi/plessy"),  s("--disable"), s("IATA")}
            << 0
            << Bytes{frames(
                   {"Z3", "B0", "A2", "B3", "R7", "R8", "B6", "R1", "R4", "B7", "B5", "Z3"})}
            << QStringList{s("MSI/Plessy  off     on"), s("IATA        on      on")}
            << QStringList{s("COM1: Settings are different from Default values"),
                           s("COM1: IATA is read from the same settings bits")};
        QTest::newRow("align, two reports")
            << Options{{}} << kNobody << QStringList{s("align"), s("COM1"), s("--reports"), s("2")}
            << 0 << Bytes{frames({"W0", ".Z", "D7", "DZ", "P6", "DZ", "P6", "+5", "W2"})}
            << QStringList{s("     1  0.500   0.500  yes     0.500"), s("     2  ")}
            << QStringList{};
        // A trace that cannot be written is said once and changes nothing else.
        for (const auto& [name, trace] :
             {std::pair{"trace in a missing folder", dir.filePath(s("missing/trace.txt"))},
              std::pair{"trace on a full disk", s("/dev/full")}}) {
            QTest::newRow(name) << Options{{}} << kNobody
                                << QStringList{s("verify"), s("COM1"), s("--trace"), trace} << 0
                                << Bytes{z3} << QStringList{s("ok      KWMR5817")}
                                << QStringList{s("ksr-utility: the trace cannot be written to ") +
                                               trace};
        }
        QTest::newRow("unknown option")
            << Options{{}} << kNobody << QStringList{s("verify"), s("COM1"), s("--bogus")} << 2
            << Bytes{QByteArray()} << QStringList{}
            << QStringList{s("ksr-utility: unknown option \"--bogus\" (see --help)\n")};
        // What is no serial port is named in the program's words, not the system's.
        QFile plain(dir.filePath(s("plain-file")));
        plain.open(QIODevice::WriteOnly);
        for (const auto& [name, path, why] :
             {std::tuple{"a regular file", plain.fileName(), "not a serial port"},
              std::tuple{"/dev/null", s("/dev/null"), "not a serial port"},
              std::tuple{"a folder", dir.path(), "a folder, not a device"}}) {
            QTest::newRow(name) << Options{} << kNobody << QStringList{s("verify"), path} << 3
                                << Bytes{} << QStringList{s(why), s("!ioctl"), s("!directory")}
                                << QStringList{};
        }
        QTest::newRow("unknown port")
            << Options{{}} << kNobody << QStringList{s("verify"), s("COM1"), s("COM0")} << 2
            << Bytes{QByteArray()} << QStringList{} << QStringList{s("\"COM0\"")};
    }
    void commandsOnTheLine() {
        QFETCH(Options, readers);
        QFETCH(int, held);
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(Bytes, sent);
        QFETCH(QStringList, output);
        QFETCH(QStringList, errors);
        Readers sims;
        QVERIFY(sims.start(dir.path(), readers));
        // Another program holds the port, as a second instance would.
        ReaderLink holder(portsFor({{1, held >= 0 ? sims.sims[held]->link : QString()}}));
        if (held >= 0)
            QVERIFY(holder.OpenCOM(1));

        const Run run = runUtility(arguments + sims.portOptions(), dir.path());
        QVERIFY2(run.exitCode == exitCode, qPrintable(describe(run)));
        for (const QString& text : output) {
            // "!" marks what must not be shown.
            const bool shown = !text.startsWith(u'!');
            QVERIFY2(run.out.contains(text.mid(shown ? 0 : 1)) == shown,
                     qPrintable(text + u'\n' + describe(run)));
        }
        for (const QString& text : errors)
            QVERIFY2(run.err.contains(text), qPrintable(text + u'\n' + describe(run)));
        if (errors.isEmpty())
            QVERIFY2(run.err.isEmpty(), qPrintable(describe(run)));
        for (std::size_t k = 0; k < sims.sims.size(); ++k)
            QCOMPARE(sims.sims[k]->received(), sent[static_cast<qsizetype>(k)]);
    }

    void jsonDocumentAndReports() {
        Readers sims;
        QVERIFY(sims.start(dir.path(), {{}, {QStringLiteral("--word"), QStringLiteral("5=440C")}}));
        const QString reports = dir.filePath(QStringLiteral("reports"));
        const Run run = runUtility(QStringList{QStringLiteral("verify"), QStringLiteral("COM1"),
                                               QStringLiteral("COM2"), QStringLiteral("--json"),
                                               QStringLiteral("--report-dir"), reports} +
                                       sims.portOptions(),
                                   dir.path());
        QCOMPARE(run.exitCode, 1);
        QJsonParseError error;
        const QJsonObject document = QJsonDocument::fromJson(run.out.toUtf8(), &error).object();
        QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(run.out));
        QCOMPARE(document.value(QStringLiteral("exitStatus")).toInt(), 1);
        const QJsonArray ports = document.value(QStringLiteral("ports")).toArray();
        QCOMPARE(ports.size(), 2);
        const QJsonObject second = ports[1].toObject();
        QCOMPARE(second.value(QStringLiteral("status")).toString(), QStringLiteral("differs"));
        QCOMPARE(second.value(QStringLiteral("words")).toArray()[5].toString(),
                 QStringLiteral("440C"));
        QCOMPARE(second.value(QStringLiteral("warnings")).toArray(),
                 QJsonArray{QStringLiteral("Settings are different from Default values")});
        QCOMPARE(run.err, QStringLiteral("COM2: Settings are different from Default values\n"));

        // The same bytes as the window's report, one file per port.
        ReaderState state;
        state.fillDefaultSettings();
        QFile first(reports + QStringLiteral("/COM1.txt"));
        QVERIFY(first.open(QIODevice::ReadOnly));
        QCOMPARE(first.readAll(), settingsReportText(state.DefaultSettings));
        QCOMPARE(ports[0].toObject().value(QStringLiteral("report")).toString(), first.fileName());
        QVERIFY(QFile::exists(reports + QStringLiteral("/COM2.txt")));
    }

    // A script always gets a document to read, even when no port was there at all.
    void jsonWithNoPortPresent() {
        QStringList absent;
        for (int n = 1; n <= 16; ++n)
            absent << QStringLiteral("--port")
                   << QStringLiteral("COM%1=%2/absent%1").arg(n).arg(dir.path());
        const Run run = runUtility(
            QStringList{QStringLiteral("verify"), QStringLiteral("all"), QStringLiteral("--json")} +
                absent,
            dir.path());
        QCOMPARE(run.exitCode, 3);
        const QJsonObject document = QJsonDocument::fromJson(run.out.toUtf8()).object();
        QVERIFY2(document.value(QStringLiteral("ports")).toArray().isEmpty() &&
                     document.value(QStringLiteral("exitStatus")).toInt() == 3 &&
                     !document.value(QStringLiteral("error")).toString().isEmpty(),
                 qPrintable(describe(run)));
    }

    // A number given once is there for every later run, until it is freed.
    void portsAssignedAndFreed() {
        Readers sims;
        QVERIFY(sims.start(dir.path(), {{}}));
        QTemporaryDir home;
        const auto run = [&home](const QStringList& arguments) {
            return runUtility(arguments, home.path());
        };
        const QString com5 = QStringLiteral("COM5");
        const QString reader = sims.sims[0]->link;

        Run ports = run({QStringLiteral("ports")});
        QVERIFY2(ports.exitCode == 0 && ports.out.contains(QStringLiteral("No serial device")) &&
                     ports.out.contains(QStringLiteral("dialout")),
                 qPrintable(describe(ports)));
        ports = run({QStringLiteral("ports"), QStringLiteral("assign"), com5, reader});
        QVERIFY2(ports.exitCode == 0, qPrintable(describe(ports)));
        QVERIFY(QFile::exists(home.filePath(QStringLiteral(".config/ksr-utility/ports.ini"))));
        Run verify = run({QStringLiteral("verify"), com5});
        QVERIFY2(verify.exitCode == 0 && verify.out.contains(QStringLiteral("COM5  ")),
                 qPrintable(describe(verify)));
        ports = run({QStringLiteral("list-ports"), QStringLiteral("--json")});
        const QJsonObject row = QJsonDocument::fromJson(ports.out.toUtf8())
                                    .object()
                                    .value(QStringLiteral("ports"))
                                    .toArray()
                                    .at(4)
                                    .toObject();
        QCOMPARE(row.value(QStringLiteral("device")).toString(), reader);
        QCOMPARE(row.value(QStringLiteral("given")).toString(), QStringLiteral("remembered"));
        QCOMPARE(row.value(QStringLiteral("state")).toString(), QStringLiteral("present"));

        ports = run({QStringLiteral("ports"), QStringLiteral("free"), com5});
        QVERIFY2(ports.exitCode == 0, qPrintable(describe(ports)));
        verify = run({QStringLiteral("verify"), com5});
        QVERIFY2(verify.exitCode == 3 &&
                     verify.out.contains(QStringLiteral("no device stands for this port")),
                 qPrintable(describe(verify)));
        QCOMPARE(sims.sims[0]->received(), frames({"Z3"}));

        // A damaged file is said once and left as it is.
        QFile file(home.filePath(QStringLiteral(".config/ksr-utility/ports.ini")));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[ports\nCOM5 /dev/x\n");
        file.close();
        ports = run({QStringLiteral("ports"), QStringLiteral("assign"), com5, reader});
        QCOMPARE(ports.exitCode, 1);
        QCOMPARE(ports.err.count(file.fileName()), 1);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("[ports\nCOM5 /dev/x\n"));
    }

    // The reader on COM2 vanishes while its reply is awaited; COM1 still finishes.
    void vanishingReaderEndsOnlyItsRow() {
        Readers sims;
        QVERIFY(sims.start(dir.path(), {{}, {}}));
        QProcess utility;
        startUtility(
            utility,
            QStringList{QStringLiteral("verify"), QStringLiteral("COM1"), QStringLiteral("COM2")} +
                sims.portOptions(),
            dir.path());
        QVERIFY(sims.sims[1]->waitToHear("received Z3"));
        sims.sims[1]->process.kill();
        QVERIFY(utility.waitForFinished(kRunMs));
        const QString out = QString::fromLocal8Bit(utility.readAllStandardOutput());
        QCOMPARE(utility.exitCode(), 3);
        QVERIFY2(QRegularExpression(QStringLiteral("COM1 .* ok ")).match(out).hasMatch(),
                 qPrintable(out));
        QVERIFY2(QRegularExpression(QStringLiteral("COM2 .* lost .*the device was lost"))
                     .match(out)
                     .hasMatch(),
                 qPrintable(out));
    }

    void alignLeavesAlignmentModeOnSignal_data() {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("Ctrl-C") << SIGINT;
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("hang-up") << SIGHUP;
        QTest::newRow("SIGPIPE") << SIGPIPE;
        QTest::newRow("nobody reads standard output any more") << 0;
    }
    void alignLeavesAlignmentModeOnSignal() {
        QFETCH(int, signalNumber);
        Readers sims;
        QVERIFY(sims.start(dir.path(), {{}}));
        QProcess utility;
        const QStringList align =
            QStringList{QStringLiteral("align"), QStringLiteral("COM1")} + sims.portOptions();
        if (signalNumber == 0) {
            // `| head -n 3`: the header and two reports, then the pipe has no reader.
            startUtility(utility, align, dir.path(), {}, {},
                         {QStringLiteral("-c"),
                          QStringLiteral("{ \"$0\" \"$@\"; echo \"exit $?\" >&2; } | head -n 3")});
        } else {
            startUtility(utility, align, dir.path());
            QByteArray out;
            while (!out.contains("     1  ")) {
                QVERIFY(utility.waitForReadyRead(kRunMs));
                out += utility.readAllStandardOutput();
            }
            ::kill(static_cast<pid_t>(utility.processId()), signalNumber);
        }
        QVERIFY(utility.waitForFinished(kRunMs));
        QCOMPARE(utility.exitStatus(), QProcess::NormalExit);
        // A result nobody read is no success.
        if (signalNumber == 0)
            QVERIFY(utility.readAllStandardError().contains("exit 1"));
        else
            QCOMPARE(utility.exitCode(), 0);
        const QByteArray received = sims.sims[0]->received();
        QVERIFY(received.startsWith(frames({"W0", ".Z", "D7", "DZ", "P6"})));
        // Stopped at any point of the cycle, a report may still be on its way: "+5", "W2" went
        // out, though what answers such a late report is another matter.
        const QByteArray exitCommands = frames({"+5", "W2"});
        QVERIFY2(received.endsWith(exitCommands) ||
                     (signalNumber == 0 && received.contains(exitCommands)),
                 received.toHex(' ').constData());
    }

    // A reader that answers after the verification's window: its late answer meets the next
    // verification's flush, and a read that finds nothing then is no lost device. Verified
    // back to back, as a script does.
    void lateAnswersAreNoLoss() {
        Readers sims;
        QVERIFY(sims.start(dir.path(), {{QStringLiteral("--delay"), QStringLiteral("600")}}));
        for (int run = 0; run < 50; ++run) {
            const Run verify = runUtility(
                QStringList{QStringLiteral("verify"), QStringLiteral("COM1")} + sims.portOptions(),
                dir.path());
            QVERIFY2(verify.exitCode != 3 && !verify.out.contains(QStringLiteral("lost")),
                     qPrintable(describe(verify)));
        }
    }

    // Every byte sent and received appears once, in order, in the file and in the log category.
    void traceRecordsEveryByte() {
        Readers sims;
        QVERIFY(sims.start(dir.path(), {{}}));
        const QString tracePath = dir.filePath(QStringLiteral("trace.txt"));
        const Run run = runUtility(QStringList{QStringLiteral("verify"), QStringLiteral("COM1"),
                                               QStringLiteral("--trace"), tracePath} +
                                       sims.portOptions(),
                                   dir.path(), QStringLiteral("ksr.link.debug=true"));
        QCOMPARE(run.exitCode, 0);
        QFile file(tracePath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromLocal8Bit(file.readAll()).split(u'\n');
        static const QRegularExpression data(
            QStringLiteral("^ *([0-9]+\\.[0-9]{3}) COM1 (sent|received) +([0-9A-F ]+) \\|.*\\|$"));
        QByteArray sent, received;
        double last = 0;
        for (const QString& line : lines) {
            if (line.isEmpty())
                continue;
            // The same line reaches the logging category, time and all.
            QVERIFY2(run.err.contains(line), qPrintable(line));
            const auto match = data.match(line);
            if (!match.hasMatch())
                continue;
            QVERIFY(match.captured(1).toDouble() >= last);
            last = match.captured(1).toDouble();
            const QByteArray bytes = QByteArray::fromHex(match.captured(3).toLatin1());
            (match.captured(2) == QStringLiteral("sent") ? sent : received) += bytes;
        }
        QVERIFY2(lines.first().endsWith(QStringLiteral(" COM1 opened ") + sims.sims[0]->link),
                 qPrintable(lines.first()));
        QVERIFY(lines[lines.size() - 2].endsWith(QStringLiteral(" COM1 closed")));
        QCOMPARE(sent, frames({"Z3"}));
        QCOMPARE(received, ReaderModel().z3Reply());
    }
};

QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"
