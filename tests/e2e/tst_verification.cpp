#include "built_programs.h"
#include "main_window_rig.h"
#include "ui/colours.h"

#include <QDir>
#include <QProcess>
#include <csignal>
#include <sys/resource.h>

namespace {
const QString kNoResponse = QStringLiteral("No Response from Barcode Reader on COM1");
const QString kInvalid = QStringLiteral("Invalid Response from Barcode Reader");

// How a reply leaves the settings block out.
enum class Incomplete { NoBlock, CutInsideTheBlock };
// Why the report cannot be written. The first two hold for root too.
enum class ReportFault { BelowAFile, InAMissingFolder, DiskFull };
// Which of two instances of the program reaches the reader's device through a symlink.
enum class Through { SamePath, OtherThroughLink, ThisThroughLink };
} // namespace

Q_DECLARE_METATYPE(Incomplete)
Q_DECLARE_METATYPE(Through)
Q_DECLARE_METATYPE(ReportFault)

// What needs the line: the exchange, its time window, the status display, the report file.
// How each kind of reply is judged is the judgement's own unit test.
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
        QCOMPARE(background(w.lblCOMM), online ? kGreen : kRed);
        QCOMPARE(foreground(w.lblCOMM), online ? kBlack : kWhite);
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

    void silentReaderIsOfflineAndTheReportKept() {
        rig->com1->setSilent(true);
        rig->writeReport("earlier report\r\n");
        frmExec& w = loadOnCom1();
        expectWarnings({kNoResponse});
        expectStatus(w, false);
        QVERIFY(w.lblFWVersion->text().isEmpty());
        QCOMPARE(rig->report(), QByteArray("earlier report\r\n"));
        QCOMPARE(w.state().ReaderSettings, SettingsTable{});
    }

    // Words that were not read from this reader are neither kept nor reported.
    void incompleteReplyKeepsTheLastGoodSettings_data() {
        QTest::addColumn<Incomplete>("incomplete");
        QTest::newRow("identifier only") << Incomplete::NoBlock;
        QTest::newRow("cut inside the last words") << Incomplete::CutInsideTheBlock;
    }
    void incompleteReplyKeepsTheLastGoodSettings() {
        QFETCH(Incomplete, incomplete);
        frmExec& w = loadOnCom1();
        const SettingsTable settings = w.state().ReaderSettings;
        rig->com1->model().setWord(3, 0x9999);
        if (incomplete == Incomplete::NoBlock)
            rig->com1->model().setScriptedReply("Z3", "\r\nVer. 5 KWMR5817\r\nOK\r\n");
        else
            rig->com1->setCutAfter(int(rig->com1->model().z3Reply().size() - 12));
        w.GetXSW();
        expectWarnings({kInvalid});
        expectStatus(w, true);
        QCOMPARE(w.state().ReaderSettings, settings);
        QCOMPARE(rig->report(), defaultReport());
    }

    void collectionWindowIsTenTicks() {
        frmExec& w = loadOnCom1();
        // A reply that starts 2 s after "Z3" comes too late: far past the 550 ms of ten ticks, so
        // the window still ends first when ticks run late on a loaded machine.
        rig->com1->setExtraDelayMs(2000);
        const qint64 before = w.link().ticks();
        w.GetXSW();
        QCOMPARE(w.link().ticks() - before, 11); // the wait ends with the 11th tick
        expectWarnings({kNoResponse});
        QVERIFY(!w.link().collectingReply());
    }

    // As root the kernel's exclusive open lets anyone in: only the lock file, named after the
    // real device, holds.
    void portHeldByAnotherInstance_data() {
        QTest::addColumn<Through>("through");
        QTest::newRow("same path") << Through::SamePath;
        QTest::newRow("other through a symlink") << Through::OtherThroughLink;
        QTest::newRow("this through a symlink") << Through::ThisThroughLink;
    }
    void portHeldByAnotherInstance() {
        QFETCH(Through, through);
        const QString link = rig->dir.filePath(QStringLiteral("reader"));
        QVERIFY(rig->com1->makeLink(link));
        const QString device = rig->com1->devicePath();
        const QString otherDevice = through == Through::OtherThroughLink ? link : device;
        const QString thisDevice = through == Through::ThisThroughLink ? link : device;
        // Another copy of the utility holds COM1's device.
        QProcess other;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        other.setProcessEnvironment(env);
        other.start(utilityProgram(),
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

    // The report is replaced whole or not at all, and the operator is told where it failed.
    void unwritableReportIsNamedAndTheOldOneKept_data() {
        QTest::addColumn<ReportFault>("fault");
        QTest::newRow("below a regular file") << ReportFault::BelowAFile;
        QTest::newRow("in a missing folder") << ReportFault::InAMissingFolder;
        QTest::newRow("disk full") << ReportFault::DiskFull;
    }
    void unwritableReportIsNamedAndTheOldOneKept() {
        QFETCH(ReportFault, fault);
        rig->writeReport("previous report\r\n");
        QString path = rig->reportPath();
        if (fault != ReportFault::DiskFull)
            path = rig->dir.filePath(fault == ReportFault::BelowAFile
                                         ? QStringLiteral("Barcode Settings.txt")
                                         : QStringLiteral("missing")) +
                   QStringLiteral("/Barcode Settings.txt");
        // A file-size limit stands in for a full disk; root cannot step over it. It is set
        // once the port is open, since the port's lock file must still be written.
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit previous{};
        getrlimit(RLIMIT_FSIZE, &previous);
        connect(rig->com1.get(), &PtyReader::commandReceived, rig->com1.get(), [&] {
            rlimit tiny = previous;
            tiny.rlim_cur = 16;
            if (fault == ReportFault::DiskFull)
                setrlimit(RLIMIT_FSIZE, &tiny);
        });
        frmExec& w = rig->make(portsFor({{1, rig->com1->devicePath()}}), path);
        w.Form_Load();
        // Told once a run; the verification still runs and sets the status.
        w.GetXSW();
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousHandler);
        QCOMPARE(rig->com1->receivedBytes(), frames({"Z3", "Z3"}));
        QCOMPARE(rig->prompter.shown.size(), 1);
        const QString text = rig->prompter.shown[0].text;
        // The path on a line of its own, then the reason; "unchanged" only where a report was.
        const QStringList lines = text.split(QChar(u'\r'));
        const bool previousThere = fault == ReportFault::DiskFull;
        QCOMPARE(lines.size(), previousThere ? 4 : 3);
        QCOMPARE(lines[0], QStringLiteral("The settings report could not be written to:"));
        QCOMPARE(lines[1], path);
        QVERIFY(!lines[2].isEmpty());
        if (previousThere)
            QCOMPARE(lines[3], QStringLiteral("The previous report is unchanged."));
        expectStatus(w, true);
        QCOMPARE(rig->report(), QByteArray("previous report\r\n"));
        QCOMPARE(QDir(rig->dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("Barcode Settings.txt")});
    }
};

QTEST_MAIN(VerificationTest)
#include "tst_verification.moc"
