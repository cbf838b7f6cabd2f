#include "main_window_rig.h"
#include "protocol/settings_words.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <csignal>
#include <sys/resource.h>

namespace {
const QString kNoResponse = QStringLiteral("No Response from Barcode Reader on COM1");
const QString kInvalid = QStringLiteral("Invalid Response from Barcode Reader");
const QString kDifferent = QStringLiteral("Settings are different from Default values");

// A reply in the reader's layout with "XSW" at 1-based position q; the words are the
// expected ones, written in lower case when asked.
QByteArray replyWithBlockAt(int q, bool lowerCase = false) {
    QByteArray text = "Ver. 5 KWMR5817\r\n";
    text = text.leftJustified(q - 1, '-', true) + "XSW";
    for (int k = 0; k < 39; ++k) {
        const int position = q + 7 + 5 * k + 7 * (k / 10);
        text = text.leftJustified(position - 1, ' ');
        QByteArray field = QByteArray::number(kDefaultSettingsWords[k], 16).rightJustified(4, '0');
        text += lowerCase ? field.toLower() : field.toUpper();
    }
    return text + "\r\n";
}
} // namespace

class VerificationTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<MainWindowRig> rig;

    frmExec& loadOnCom1() {
        frmExec& w = rig->make(portsFor({{1, rig->com1->devicePath()}}));
        w.Form_Load();
        return w;
    }
    void expectStatus(frmExec& w, bool online) {
        QCOMPARE(w.lblCOMM->text(), online ? QStringLiteral("Online") : QStringLiteral("Offline"));
        QCOMPARE(background(w.lblCOMM), online ? QColor(0, 255, 0) : QColor(255, 0, 0));
        QCOMPARE(foreground(w.lblCOMM), online ? QColor(0, 0, 0) : QColor(255, 255, 255));
    }
    void expectWarnings(const QStringList& texts) {
        QCOMPARE(rig->prompter.texts(), texts);
        for (const Prompt& prompt : rig->prompter.shown) {
            QCOMPARE(prompt.title, QStringLiteral("Warning"));
            QCOMPARE(prompt.icon, Prompt::Icon::Exclamation);
            QCOMPARE(prompt.buttons, Prompt::Buttons::Ok);
        }
    }

private slots:
    void init() { rig = std::make_unique<MainWindowRig>(); }
    void cleanup() { rig.reset(); }

    void matchingReaderGivesNoMessageAndTheReport() {
        frmExec& w = loadOnCom1();
        expectWarnings({});
        expectStatus(w, true);
        QCOMPARE(w.state().FWVersion, QStringLiteral(" KWMR5817"));
        QCOMPARE(w.lblFWVersion->text(), QStringLiteral(" KWMR5817"));
        QCOMPARE(rig->report(), defaultReport());
        QCOMPARE(rig->com1->receivedBytes(), frames({"Z3"}));
    }

    void firmwareMustMatchExactly_data() {
        QTest::addColumn<QByteArray>("firmware");
        QTest::newRow("no leading blank") << QByteArray("KWMR5817 ");
        QTest::newRow("lower case") << QByteArray(" kwmr5817");
        QTest::newRow("other version") << QByteArray(" KWMR5818");
    }
    void firmwareMustMatchExactly() {
        QFETCH(QByteArray, firmware);
        rig->com1->model().setFirmware(firmware);
        frmExec& w = loadOnCom1();
        const QString shown = QString::fromLatin1(firmware);
        expectWarnings({QStringLiteral("Firmware version is ") + shown +
                        QStringLiteral("\rExpecting  KWMR5817")});
        QVERIFY(rig->prompter.shown[0].details.isEmpty()); // both are in the text already
        QCOMPARE(w.lblFWVersion->text(), shown);
        expectStatus(w, true);
        QCOMPARE(rig->report(), defaultReport());
    }

    void differingWordsGiveOneMessage() {
        rig->com1->model().setWord(5, 0x1234);
        rig->com1->model().setWord(38, 0x0000);
        frmExec& w = loadOnCom1();
        expectWarnings({kDifferent});
        QCOMPARE(rig->prompter.shown[0].details,
                 QStringLiteral("Word 5: expected 440D, read 1234\r"
                                "Word 38: expected FFD7, read 0000"));
        QCOMPARE(w.state().ReaderSettings[5], 0x1234);
        QCOMPARE(w.state().ReaderSettings[38], 0);
        QByteArray expected = defaultReport();
        expected.replace("440D\r\n440D\r\n", "1234\r\n440D\r\n");
        expected.replace("FFD7\r\n", "0\r\n");
        QCOMPARE(rig->report(), expected);
    }

    void silenceNoiseAndLowerCaseMarkerMeanNoResponse_data() {
        QTest::addColumn<int>("fault");
        QTest::newRow("silent reader") << 0;
        QTest::newRow("line noise") << 1;
        QTest::newRow("marker in lower case") << 2;
    }
    void silenceNoiseAndLowerCaseMarkerMeanNoResponse() {
        QFETCH(int, fault);
        if (fault == 0)
            rig->com1->setSilent(true);
        else if (fault == 1)
            rig->com1->setNoise(true);
        else
            rig->com1->model().setScriptedReply(
                "Z3", rig->com1->model().z3Reply().replace("Ver.", "ver."));
        rig->writeReport("earlier report\r\n");
        frmExec& w = loadOnCom1();
        expectWarnings({kNoResponse});
        expectStatus(w, false);
        QVERIFY(w.lblFWVersion->text().isEmpty());
        QCOMPARE(rig->report(), QByteArray("earlier report\r\n"));
        QCOMPARE(w.state().ReaderSettings, SettingsTable{});
    }

    void blockAtPosition9IsMissingAt10IsRead() {
        rig->com1->model().setScriptedReply("Z3", replyWithBlockAt(9));
        frmExec& w = loadOnCom1();
        // The identifier is cut short by the block, so it differs as well.
        QCOMPARE(rig->prompter.texts().value(0), kInvalid);
        QCOMPARE(rig->prompter.shown.size(), 2);
        QVERIFY(rig->report().isEmpty());
        expectStatus(w, true);

        rig->prompter.shown.clear();
        rig->com1->model().setScriptedReply("Z3", replyWithBlockAt(10));
        w.GetXSW();
        QVERIFY(!rig->prompter.texts().contains(kInvalid));
        QCOMPARE(rig->report(), defaultReport());
    }

    void lowerCaseDigitsReadLikeUpperCase() {
        rig->com1->model().setScriptedReply("Z3", replyWithBlockAt(30, true));
        frmExec& w = loadOnCom1();
        expectWarnings({});
        QCOMPARE(rig->report(), defaultReport());
        expectStatus(w, true);
    }

    void versionWithoutBlockKeepsTheLastGoodSettings() {
        frmExec& w = loadOnCom1();
        QCOMPARE(rig->report(), defaultReport());
        // The reader answers with its identifier only: nothing of it is compared or reported.
        rig->com1->model().setWord(3, 0x9999);
        rig->com1->model().setScriptedReply("Z3", "\r\nVer. 5 KWMR5817\r\nOK\r\n");
        w.GetXSW();
        expectWarnings({kInvalid});
        expectStatus(w, true);
        QCOMPARE(w.state().ReaderSettings[3], 531);
        QCOMPARE(rig->report(), defaultReport());
    }

    void cutReplyIsAllOrNothing() {
        rig->com1->model().setWord(0, 0x1111);
        const QByteArray full = rig->com1->model().z3Reply();
        rig->com1->setCutAfter(int(full.size() - 12)); // inside the last run of words
        rig->writeReport("earlier report\r\n");
        frmExec& w = loadOnCom1();
        expectWarnings({kInvalid});
        expectStatus(w, true);
        QCOMPARE(w.state().ReaderSettings, SettingsTable{});
        QCOMPARE(rig->report(), QByteArray("earlier report\r\n"));
    }

    void replyCutRightAfterTheMarkerIsInvalid() {
        rig->com1->model().setScriptedReply("Z3", "\r\nVer.5");
        frmExec& w = loadOnCom1();
        expectWarnings({kInvalid});
        expectStatus(w, false);
        QVERIFY(w.state().FWVersion.isEmpty());
        QVERIFY(rig->report().isEmpty());
    }

    void readerTextIsShownAsPlainText() {
        rig->com1->model().setFirmware("<b>X</b>1");
        frmExec& w = loadOnCom1();
        QCOMPARE(w.lblFWVersion->text(), QStringLiteral("<b>X</b>1"));
        QCOMPARE(w.lblFWVersion->textFormat(), Qt::PlainText);
    }

    void collectionWindowIsTenTicks() {
        frmExec& w = loadOnCom1();
        // A reply that starts 600 ms after "Z3" comes too late.
        rig->com1->setExtraDelayMs(600);
        const qint64 before = w.link().ticks();
        QElapsedTimer elapsed;
        elapsed.start();
        w.GetXSW();
        QVERIFY(w.link().ticks() - before >= 11);
        QVERIFY(elapsed.elapsed() >= 450);
        expectWarnings({kNoResponse});
        QVERIFY(!w.link().collectingReply());
    }

    void deviceVanishingDuringTheWait() {
        connect(rig->com1.get(), &PtyReader::commandReceived, rig->com1.get(),
                [&] { rig->com1->hangUp(); });
        frmExec& w = loadOnCom1();
        expectWarnings({kNoResponse});
        expectStatus(w, false);
        QVERIFY(!w.link().isOpen());
        QVERIFY(rig->report().isEmpty());
    }

    void portHeldByAnotherInstance_data() {
        // Which of the two instances reaches the device through a symlink. As root the kernel's
        // exclusive open lets anyone in: only the lock file, named after the real device, holds.
        QTest::addColumn<bool>("otherThroughLink");
        QTest::addColumn<bool>("thisThroughLink");
        QTest::newRow("same path") << false << false;
        QTest::newRow("other through a symlink") << true << false;
        QTest::newRow("this through a symlink") << false << true;
    }
    void portHeldByAnotherInstance() {
        QFETCH(bool, otherThroughLink);
        QFETCH(bool, thisThroughLink);
        const QString link = rig->dir.filePath(QStringLiteral("reader"));
        QVERIFY(rig->com1->makeLink(link));
        const QString otherDevice = otherThroughLink ? link : rig->com1->devicePath();
        const QString thisDevice = thisThroughLink ? link : rig->com1->devicePath();
        // Another copy of the utility holds COM1's device.
        QProcess other;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        other.setProcessEnvironment(env);
        other.start(QStringLiteral(KSR_UTILITY_PATH),
                    {QStringLiteral("--port"), QStringLiteral("COM1=") + otherDevice,
                     QStringLiteral("--report"), rig->dir.filePath(QStringLiteral("other.txt"))});
        QVERIFY(other.waitForStarted());
        // Held once the other instance has verified the reader (its report is written then).
        // A first start on a fresh machine may build font caches: allow for it.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(rig->dir.filePath(QStringLiteral("other.txt"))),
                                 30000);

        rig->com1->clearReceived();
        frmExec& w = rig->make(portsFor({{1, thisDevice}}));
        w.Form_Load();
        QCOMPARE(w.cboComPorts->itemText(0), QStringLiteral("COM1")); // listed all the same
        expectWarnings({QStringLiteral("COM1 (%1) cannot be opened: it is in use by another "
                                       "program.")
                            .arg(thisDevice)});
        expectStatus(w, false);
        QVERIFY(!w.link().isOpen());
        QVERIFY(rig->com1->receivedCodes().isEmpty());
        other.kill();
        other.waitForFinished();
    }

    void unwritableReportIsNamedAndTheOldOneKept_data() {
        // Failures that hold for root too.
        QTest::addColumn<QString>("below");
        QTest::newRow("below a regular file") << QStringLiteral("Barcode Settings.txt");
        QTest::newRow("in a missing folder") << QStringLiteral("missing");
    }
    void unwritableReportIsNamedAndTheOldOneKept() {
        QFETCH(QString, below);
        rig->writeReport("previous report\r\n");
        const QString badPath = rig->dir.filePath(below) + QStringLiteral("/Barcode Settings.txt");
        frmExec& w = rig->make(portsFor({{1, rig->com1->devicePath()}}), badPath);
        w.Form_Load();
        // Told once a run; the verification still runs and sets the status.
        w.GetXSW();
        QCOMPARE(rig->com1->receivedBytes(), frames({"Z3", "Z3"}));
        QCOMPARE(rig->prompter.shown.size(), 1);
        // The path on a line of its own, then the reason; there was no report there before.
        const QStringList lines = rig->prompter.shown[0].text.split(QChar(u'\r'));
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], QStringLiteral("The settings report could not be written to:"));
        QCOMPARE(lines[1], badPath);
        QVERIFY(!lines[2].isEmpty());
        expectStatus(w, true);
        QCOMPARE(rig->report(), QByteArray("previous report\r\n"));
        QCOMPARE(QDir(rig->dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("Barcode Settings.txt")});
    }

    void fullDiskLeavesThePreviousReport() {
        rig->writeReport("previous report\r\n");
        // A file-size limit stands in for a full disk; root cannot step over it. It is set
        // once the port is open, since the port's lock file must still be written.
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit previous{};
        getrlimit(RLIMIT_FSIZE, &previous);
        connect(rig->com1.get(), &PtyReader::commandReceived, rig->com1.get(), [&] {
            rlimit tiny = previous;
            tiny.rlim_cur = 16;
            setrlimit(RLIMIT_FSIZE, &tiny);
        });
        loadOnCom1();
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousHandler);
        QCOMPARE(rig->prompter.shown.size(), 1);
        const QString text = rig->prompter.shown[0].text;
        QVERIFY2(text.contains(QChar(u'\r') + rig->reportPath() + QChar(u'\r')), qPrintable(text));
        QVERIFY(text.endsWith(QStringLiteral("\rThe previous report is unchanged.")));
        QCOMPARE(rig->report(), QByteArray("previous report\r\n"));
        const QStringList leftovers = QDir(rig->dir.path()).entryList(QDir::Files);
        QCOMPARE(leftovers, QStringList{QStringLiteral("Barcode Settings.txt")});
    }
};

QTEST_MAIN(VerificationTest)
#include "tst_verification.moc"
