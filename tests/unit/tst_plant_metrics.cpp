// What a plant's monitoring reads: baselines read back from settings reports, the metrics text
// for node_exporter, and the metrics file replaced whole.
#include "cli/command_line.h"
#include "cli/metrics_file.h"
#include "cli/prometheus_text.h"
#include "reader_ops/settings_baseline.h"
#include "reader_ops/settings_report.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {
SettingsTable defaultWords() {
    ReaderState state;
    state.fillDefaultSettings();
    return state.DefaultSettings;
}

PortResult port(const char* name, PortStatus status) {
    PortResult r;
    r.port = QLatin1String(name);
    r.device = QStringLiteral("/dev/pts/") + r.port.right(1);
    r.status = status;
    return r;
}
} // namespace

class PlantMetricsTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir;

private slots:
    void baselineIsThirtyNineHexWords_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("error"); // empty: read, word 12 is 9E5
        const QByteArray report = settingsReportText([] {
            SettingsTable words = defaultWords();
            words[12] = 0x9E5;
            return words;
        }());
        QByteArray lf = report;
        lf.replace("\r\n", "\n");
        QByteArray badLine = report;
        badLine.replace("\r\n7000\r\n", "\r\n70Z0\r\n"); // word 25, line 26
        QByteArray fiveDigits = report;
        fiveDigits.replace("\r\n7000\r\n", "\r\n70000\r\n");
        QByteArray emptyLine = report;
        emptyLine.replace("\r\n7000\r\n", "\r\n\r\n");
        const auto row = [](const char* name, const QByteArray& text, const char* error) {
            QTest::newRow(name) << text << QString::fromLatin1(error);
        };
        row("as this program writes it", report, "");
        row("LF line ends", lf, "");
        row("lower case", report.toLower(), "");
        row("no line end after the last word", report.chopped(2), "");
        row("38 lines", report.left(report.lastIndexOf("FFD7")), "line 39: the file ends");
        row("40 lines", report + "0\r\n", "line 40: a settings report has 39 lines");
        row("a blank line after the words", report + "\r\n", "line 40:");
        row("not hexadecimal", badLine, "line 26: \"70Z0\" is not a settings word");
        row("five digits", fiveDigits, "line 26: \"70000\"");
        row("an empty line", emptyLine, "line 26: an empty line");
        row("empty file", "", "line 1: the file ends");
        row("a binary file",
            QByteArray("\x7F"
                       "ELF\x01\x02",
                       6),
            "line 1: \"?ELF??\"");
    }
    void baselineIsThirtyNineHexWords() {
        QFETCH(QByteArray, text);
        QFETCH(QString, error);
        QString said;
        const auto words = parseSettingsBaseline(text, &said);
        if (error.isEmpty()) {
            QVERIFY2(words, qPrintable(said));
            SettingsTable expected = defaultWords();
            expected[12] = 0x9E5;
            QVERIFY(*words == expected);
        } else {
            QVERIFY(!words);
            QVERIFY2(said.startsWith(error), qPrintable(said));
        }
    }

    // A baseline that is no report stops the command before anything is sent: a usage error
    // naming the file and the line.
    void expectIsReadWithTheCommandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("said"); // empty: runs with the baseline
        const QString good = dir.filePath(QStringLiteral("line4.txt"));
        const QString bad = dir.filePath(QStringLiteral("bad.txt"));
        QFile goodFile(good);
        QVERIFY(goodFile.open(QIODevice::WriteOnly));
        goodFile.write(settingsReportText(defaultWords()));
        goodFile.close();
        QFile badFile(bad);
        QVERIFY(badFile.open(QIODevice::WriteOnly));
        badFile.write("474A\r\n22G1\r\n");
        badFile.close();
        const auto s = [](const char* text) { return QString::fromLatin1(text); };
        QTest::newRow("verify") << QStringList{s("verify"), s("COM1"), s("--expect"), good}
                                << QString();
        QTest::newRow("save") << QStringList{s("save"), s("COM1"), s("--expect"), good}
                              << QString();
        QTest::newRow("bad word") << QStringList{s("verify"), s("COM1"), s("--expect"), bad}
                                  << QStringLiteral("--expect %1: line 2: \"22G1\"").arg(bad);
        QTest::newRow("missing file")
            << QStringList{s("verify"), s("COM1"), s("--expect"), bad + s("x")}
            << QStringLiteral("--expect %1x: no such file").arg(bad);
        QTest::newRow("a folder") << QStringList{s("verify"), s("COM1"), s("--expect"), dir.path()}
                                  << s("not a regular file");
        QTest::newRow("not for defaults")
            << QStringList{s("defaults"), s("COM1"), s("--expect"), good}
            << s("--expect does not go with defaults");
        QTest::newRow("metrics not for save")
            << QStringList{s("save"), s("COM1"), s("--metrics"), good}
            << s("--metrics does not go with save");
    }
    void expectIsReadWithTheCommandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, said);
        const auto outcome =
            parseCommandLine(QStringList{QStringLiteral("ksr-utility")} + arguments);
        if (said.isEmpty()) {
            QVERIFY2(outcome.run, qPrintable(outcome.message));
            QVERIFY(outcome.options.expectedWords &&
                    *outcome.options.expectedWords == defaultWords());
            QCOMPARE(outcome.options.expectPath, arguments.constLast());
        } else {
            QVERIFY(!outcome.run);
            QCOMPARE(outcome.exitCode, 2);
            QVERIFY2(outcome.message.contains(said), qPrintable(outcome.message));
        }
    }

    // The whole text for one port of each kind: what a scrape must find, and nothing else.
    void metricsText() {
        PortResult ok = port("COM1", PortStatus::Ok);
        ok.firmware = QStringLiteral(" KWMR5817");
        ok.words = defaultWords();
        PortResult differs = port("COM2", PortStatus::Differs);
        differs.device = QStringLiteral("/dev/odd \"name\"\\\nx");
        differs.firmware = QStringLiteral(" KWMR5900");
        differs.words = defaultWords();
        differs.differences = {{5, 0x440D, 0x440C}, {12, 0x9E4, 0x9E5}};
        const PortResult silent = port("rfc2217://line4-pc:4001", PortStatus::NoAnswer);
        const QByteArray text =
            prometheusText({ok, differs, silent}, VerifyRun{0.612, 1796666400.25});

        QByteArray expected;
        const auto statuses = [](const char* labels, const char* is) {
            QByteArray lines;
            for (const char* status : {"ok", "differs", "invalid-reply", "no-answer", "not-decoded",
                                       "not-applied", "open-failed", "lost"}) {
                lines += QByteArray("ksr_reader_status{") + labels + ",status=\"" + status +
                         "\"} " + (qstrcmp(status, is) == 0 ? "1" : "0") + "\n";
            }
            return lines;
        };
        const char* com1 = "port=\"COM1\",device=\"/dev/pts/1\"";
        const char* com2 = "port=\"COM2\",device=\"/dev/odd \\\"name\\\"\\\\\\nx\"";
        const char* line4 = "port=\"rfc2217://line4-pc:4001\",device=\"/dev/pts/1\"";
        expected += QByteArray("# HELP ksr_reader_up 1 when the reader answered with its firmware "
                               "identifier, else 0.\n# TYPE ksr_reader_up gauge\n") +
                    "ksr_reader_up{" + com1 + "} 1\nksr_reader_up{" + com2 + "} 1\nksr_reader_up{" +
                    line4 + "} 0\n";
        expected += "# HELP ksr_reader_status The port's status word of the verification: 1 for "
                    "the one it ended with, 0 for the others.\n# TYPE ksr_reader_status gauge\n" +
                    statuses(com1, "ok") + statuses(com2, "differs") + statuses(line4, "no-answer");
        expected += QByteArray("# HELP ksr_reader_settings_differing How many of the 39 settings "
                               "words differ from the expected ones (absent when none were "
                               "read).\n# TYPE ksr_reader_settings_differing gauge\n") +
                    "ksr_reader_settings_differing{" + com1 +
                    "} 0\nksr_reader_settings_differing{" + com2 + "} 2\n";
        expected += QByteArray("# HELP ksr_reader_firmware_expected 1 when the firmware identifier "
                               "is the expected one, else 0 (absent when none was read).\n"
                               "# TYPE ksr_reader_firmware_expected gauge\n") +
                    "ksr_reader_firmware_expected{" + com1 + "} 1\nksr_reader_firmware_expected{" +
                    com2 + "} 0\n";
        expected += QByteArray("# HELP ksr_reader_info The reader's firmware identifier, always "
                               "1.\n# TYPE ksr_reader_info gauge\n") +
                    "ksr_reader_info{" + com1 + ",firmware=\"KWMR5817\"} 1\nksr_reader_info{" +
                    com2 + ",firmware=\"KWMR5900\"} 1\n";
        expected += "# HELP ksr_verify_duration_seconds How long the verification run took.\n"
                    "# TYPE ksr_verify_duration_seconds gauge\nksr_verify_duration_seconds "
                    "0.612\n# HELP ksr_verify_last_run_timestamp_seconds When the verification "
                    "run ended, in seconds since 1970.\n# TYPE "
                    "ksr_verify_last_run_timestamp_seconds gauge\n"
                    "ksr_verify_last_run_timestamp_seconds 1796666400.250\n";
        QCOMPARE(text.split('\n'), expected.split('\n'));
    }

    // Replaced whole: whoever has the old file open still reads the old one, and nothing else
    // is left in the folder. What cannot be replaced is said, and the old file stays.
    void metricsFileIsReplacedWhole() {
        const QString path = dir.filePath(QStringLiteral("whole/ksr-utility.prom"));
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("whole"))));
        QString error;
        // node_exporter reads it as another user, whatever umask the writer has.
        const mode_t umask = ::umask(077);
        const bool written = writeMetricsFile(path, "old 1\n", &error);
        ::umask(umask);
        QVERIFY2(written, qPrintable(error));
        QFile old(path);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QVERIFY2(writeMetricsFile(path, "new 2\n", &error), qPrintable(error));
        QCOMPARE(old.readAll(), QByteArray("old 1\n"));
        QFile now(path);
        QVERIFY(now.open(QIODevice::ReadOnly));
        QCOMPARE(now.readAll(), QByteArray("new 2\n"));
        QCOMPARE(QDir(dir.filePath(QStringLiteral("whole"))).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("ksr-utility.prom")});
        QVERIFY(now.permissions() & QFileDevice::ReadOther);

        const QString fifo = dir.filePath(QStringLiteral("fifo.prom"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        for (const auto& [target, reason] :
             {std::pair{dir.filePath(QStringLiteral("missing/ksr.prom")), "No such file"},
              std::pair{fifo, "not a regular file"},
              std::pair{QStringLiteral("/dev/full"), "not a regular file"},
              std::pair{dir.path(), "a folder"}}) {
            QVERIFY(!writeMetricsFile(target, "x 1\n", &error));
            QVERIFY2(error.contains(QLatin1String(reason)), qPrintable(error));
        }
    }
};

QTEST_GUILESS_MAIN(PlantMetricsTest)
#include "tst_plant_metrics.moc"
