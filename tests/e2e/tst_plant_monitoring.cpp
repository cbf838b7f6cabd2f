// A plant's monitoring, end to end: the built ksr-utility verifies simulated readers against a
// baseline and leaves its metrics where Debian's real node_exporter reads them.
#include "frames.h"
#include "node_exporter_fixture.h"
#include "reader_ops/reader_state.h"
#include "reader_ops/settings_report.h"
#include "utility_process.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {
// The samples of a scrape, "name{labels}" -> value, and every metric's type.
struct Scrape {
    QHash<QString, QString> samples;
    QHash<QString, QString> types;
    QString text;
};

Scrape parse(const QByteArray& body) {
    Scrape scrape;
    scrape.text = QString::fromUtf8(body);
    for (const QString& line : scrape.text.split(u'\n', Qt::SkipEmptyParts)) {
        if (line.startsWith(QStringLiteral("# TYPE "))) {
            const QStringList words = line.split(u' ');
            scrape.types.insert(words.value(2), words.value(3));
        } else if (!line.startsWith(u'#')) {
            const qsizetype blank = line.lastIndexOf(u' ');
            scrape.samples.insert(line.left(blank), line.mid(blank + 1));
        }
    }
    return scrape;
}

SettingsTable defaultWords() {
    ReaderState state;
    state.fillDefaultSettings();
    return state.DefaultSettings;
}
} // namespace

class PlantMonitoringTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir;

private slots:
    // One reader as the plant set it, one that drifted, one silent; node_exporter reads all
    // three without an error, and each value is the one the verification found.
    void nodeExporterReadsEveryReader() {
        // The plant runs its readers with word 5 changed; the second one also drifted in word 12.
        const QString textfiles = dir.filePath(QStringLiteral("textfile"));
        QVERIFY(QDir().mkpath(textfiles));
        const QString baseline = dir.filePath(QStringLiteral("line4.txt"));
        SettingsTable plant = defaultWords();
        plant[5] = 0x440C;
        QFile file(baseline);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(settingsReportText(plant));
        file.close();
        Readers sims;
        const QString word5 = QStringLiteral("5=440C");
        const QString w = QStringLiteral("--word");
        QVERIFY(sims.start(
            dir.path(),
            {{w, word5}, {w, word5, w, QStringLiteral("12=09E5")}, {QStringLiteral("--silent")}}));
        NodeExporterFixture exporter;
        QString error;
        QVERIFY2(exporter.start(textfiles, &error), qPrintable(error));

        const QString metrics = textfiles + QStringLiteral("/ksr-utility.prom");
        const Run run = runUtility(
            QStringList{QStringLiteral("verify"), QStringLiteral("COM1"), QStringLiteral("COM2"),
                        QStringLiteral("COM3"), QStringLiteral("--expect"), baseline,
                        QStringLiteral("--metrics"), metrics, QStringLiteral("--json")} +
                sims.portOptions(),
            dir.path());
        QVERIFY2(run.exitCode == 1, qPrintable(describe(run)));
        const QJsonArray ports = QJsonDocument::fromJson(run.out.toUtf8())
                                     .object()
                                     .value(QStringLiteral("ports"))
                                     .toArray();
        QCOMPARE(ports.size(), 3);
        QCOMPARE(ports[0].toObject().value(QStringLiteral("status")).toString(),
                 QStringLiteral("ok"));
        QCOMPARE(ports[1].toObject().value(QStringLiteral("differences")).toArray().size(), 1);
        QCOMPARE(ports[1].toObject().value(QStringLiteral("expected")).toString(), baseline);
        QVERIFY2(run.err.contains(
                     QStringLiteral("COM2: Settings are different from the expected values in ") +
                     baseline) &&
                     !run.err.contains(QStringLiteral("Default values")),
                 qPrintable(run.err));

        const Scrape scrape = parse(exporter.scrape());
        QVERIFY2(scrape.samples.value(QStringLiteral("node_textfile_scrape_error")) ==
                     QStringLiteral("0"),
                 qPrintable(scrape.text));
        const auto labels = [&sims](int k) {
            return QStringLiteral("device=\"%1\",port=\"COM%2\"")
                .arg(sims.sims[k - 1]->link)
                .arg(k);
        };
        QHash<QString, int> expected;
        const char* statuses[] = {"ok",          "differs",     "invalid-reply", "no-answer",
                                  "not-decoded", "not-applied", "open-failed",   "lost"};
        const char* portStatus[] = {"ok", "differs", "no-answer"};
        for (int k = 1; k <= 3; ++k) {
            expected.insert(QStringLiteral("ksr_reader_up{%1}").arg(labels(k)), k < 3 ? 1 : 0);
            for (const char* status : statuses) {
                expected.insert(QStringLiteral("ksr_reader_status{%1,status=\"%2\"}")
                                    .arg(labels(k), QLatin1String(status)),
                                qstrcmp(status, portStatus[k - 1]) == 0 ? 1 : 0);
            }
        }
        for (int k = 1; k <= 2; ++k) {
            expected.insert(QStringLiteral("ksr_reader_settings_differing{%1}").arg(labels(k)),
                            k == 1 ? 0 : 1);
            expected.insert(QStringLiteral("ksr_reader_firmware_expected{%1}").arg(labels(k)), 1);
            // node_exporter sorts the labels.
            expected.insert(QStringLiteral("ksr_reader_info{device=\"%1\",firmware=\"KWMR5817\","
                                           "port=\"COM%2\"}")
                                .arg(sims.sims[k - 1]->link)
                                .arg(k),
                            1);
        }
        QStringList seen;
        for (auto sample = scrape.samples.cbegin(); sample != scrape.samples.cend(); ++sample) {
            if (sample.key().startsWith(QStringLiteral("ksr_reader")))
                seen << sample.key();
        }
        for (auto want = expected.cbegin(); want != expected.cend(); ++want)
            QVERIFY2(scrape.samples.value(want.key()) == QString::number(want.value()),
                     qPrintable(want.key() + u'\n' + scrape.text));
        QCOMPARE(seen.size(), expected.size()); // nothing for the silent reader's words
        for (const char* gauge :
             {"ksr_reader_up", "ksr_reader_status", "ksr_reader_settings_differing",
              "ksr_reader_firmware_expected", "ksr_reader_info", "ksr_verify_duration_seconds",
              "ksr_verify_last_run_timestamp_seconds"})
            QCOMPARE(scrape.types.value(QLatin1String(gauge)), QStringLiteral("gauge"));
        const double duration =
            scrape.samples.value(QStringLiteral("ksr_verify_duration_seconds")).toDouble();
        QVERIFY2(duration > 0.4 && duration < 20, qPrintable(scrape.text));
        const double ended =
            scrape.samples.value(QStringLiteral("ksr_verify_last_run_timestamp_seconds"))
                .toDouble();
        QVERIFY(qAbs(ended - static_cast<double>(QDateTime::currentSecsSinceEpoch())) < 60);
        QCOMPARE(QDir(textfiles).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("ksr-utility.prom")});
    }

    // The timer's service as systemd runs it, its users and sandbox aside: with no ports it
    // says so and touches none; with ports the metrics land whole in node_exporter's folder.
    void timerServiceCommands_data() {
        QTest::addColumn<QString>("ports");
        QTest::addColumn<QList<int>>("exitCodes"); // ExecStartPre, ExecStart, ExecStartPost
        QTest::addColumn<QString>("said");
        QTest::addColumn<QStringList>("published");
        QTest::newRow("no ports") << QString() << QList<int>{78}
                                  << QStringLiteral("no reader ports set") << QStringList{};
        QTest::newRow("a silent reader")
            << QStringLiteral("COM1") << QList<int>{0, 1, 0}
            << QStringLiteral("No Response from Barcode Reader on COM1")
            << QStringList{QStringLiteral("ksr-utility.prom")};
    }
    void timerServiceCommands() {
        QFETCH(QString, ports);
        QFETCH(QList<int>, exitCodes);
        QFETCH(QString, said);
        QFETCH(QStringList, published);
        QFile unit(builtProgram("ksr-utility-verify.service"));
        QVERIFY(unit.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(unit.readAll());
        const QString success =
            text.section(QStringLiteral("SuccessExitStatus="), 1).section(u'\n', 0, 0);
        QTemporaryDir root;
        const QString state = root.filePath(QStringLiteral("state"));
        const QString textfiles = root.filePath(QStringLiteral("node-exporter"));
        QVERIFY(QDir().mkpath(state) && QDir().mkpath(textfiles));
        Readers sims;
        QVERIFY(sims.start(root.path(), {{QStringLiteral("--silent")}}));

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KSR_PORTS"), ports);
        env.insert(QStringLiteral("KSR_OPTIONS"), sims.portOptions().join(u' '));
        env.insert(QStringLiteral("STATE_DIRECTORY"), state);
        env.insert(QStringLiteral("KSR_DEVICE_LIST"), QStringLiteral("/dev/null"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), state);
        QList<int> exits;
        QString err;
        for (const QString& line : text.split(u'\n')) {
            static const QRegularExpression exec(
                QStringLiteral("^ExecStart(Pre|Post)?=[-+!]*(.*)$"));
            const auto match = exec.match(line);
            if (!match.hasMatch())
                continue;
            QString command = match.captured(2);
            command.replace(QStringLiteral("$$"), QStringLiteral("$"))
                .replace(QStringLiteral("/usr/bin/ksr-utility"), utilityProgram())
                .replace(QStringLiteral("/var/lib/prometheus/node-exporter"), textfiles);
            QProcess step;
            step.setProcessEnvironment(env);
            step.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
            QVERIFY(step.waitForFinished(kRunMs));
            err += QString::fromLocal8Bit(step.readAllStandardError());
            exits << step.exitCode();
            // systemd goes on only after success, or an exit status the unit counts as one.
            if (step.exitCode() != 0 &&
                !success.split(u' ').contains(QString::number(step.exitCode())))
                break;
        }
        QVERIFY2(exits == exitCodes && err.contains(said), qPrintable(err));
        QCOMPARE(QDir(textfiles).entryList(QDir::Files | QDir::Hidden), published);
        if (!published.isEmpty()) {
            QFile metrics(textfiles + QStringLiteral("/ksr-utility.prom"));
            QVERIFY(metrics.open(QIODevice::ReadOnly));
            QVERIFY(metrics.readAll().contains("\nksr_reader_up{port=\"COM1\",device=\""));
        }
        QCOMPARE(sims.sims[0]->received(), ports.isEmpty() ? QByteArray() : frames({"Z3"}));
    }

    // The metrics are one more output: one that cannot be written is said and makes the exit
    // status 1, the results stand; a device named as the metrics file, or a baseline that is no
    // report, stops everything before "Z3".
    void metricsAndBaselineFailures_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("said");
        QTest::addColumn<bool>("sent");
        const QString missing = dir.filePath(QStringLiteral("missing/ksr-utility.prom"));
        QTest::newRow("metrics in a missing folder")
            << QStringList{QStringLiteral("--metrics"), missing} << 1
            << QStringLiteral("ksr-utility: the metrics cannot be written to %1: ").arg(missing)
            << true;
        QTest::newRow("metrics onto a device")
            << QStringList{QStringLiteral("--metrics"), QStringLiteral("/dev/full")} << 2
            << QStringLiteral("--metrics /dev/full is a character device") << false;
        QFile bad(dir.filePath(QStringLiteral("short.txt")));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write(settingsReportText(defaultWords()).left(20));
        bad.close();
        QTest::newRow("a cut baseline")
            << QStringList{QStringLiteral("--expect"), bad.fileName()} << 2
            << QStringLiteral("--expect %1: line 5: the file ends").arg(bad.fileName()) << false;
    }
    void metricsAndBaselineFailures() {
        QFETCH(QStringList, options);
        QFETCH(int, exitCode);
        QFETCH(QString, said);
        QFETCH(bool, sent);
        Readers sims;
        QVERIFY(sims.start(dir.path(), {{}}));
        const Run run = runUtility(QStringList{QStringLiteral("verify"), QStringLiteral("COM1")} +
                                       options + sims.portOptions(),
                                   dir.path());
        QVERIFY2(run.exitCode == exitCode && run.err.contains(said), qPrintable(describe(run)));
        QCOMPARE(run.out.contains(QStringLiteral("ok      KWMR5817  as expected")), sent);
        QCOMPARE(sims.sims[0]->received(), sent ? frames({"Z3"}) : QByteArray());
    }
};

QTEST_GUILESS_MAIN(PlantMonitoringTest)
#include "tst_plant_monitoring.moc"
