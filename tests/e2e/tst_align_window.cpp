#include "align/frm_align.h"
#include "align_pixels.h"
#include "main_window_rig.h"
#include "modal_window.h"

#include <QApplication>

namespace {
using namespace align_pixels;

// 9 fields: the worked example of a level target a little above the middle.
const QByteArray kWorkedFields = "01F4 03E8 3C8C 03E8 03E8 03E8 342E 03E8 1AF6 ";
const QList<int> kWorkedEdges{4000, 4500, 5500, 21000, 22000, 23000, 24000, 37358, 38358, 45260};
constexpr int kLong = 10000; // ms; a loaded machine may be slow, never fast

QByteArray framesOf(const QList<QByteArray>& codes) {
    QByteArray bytes;
    for (const QByteArray& code : codes)
        bytes += '\x1b' + code + '\r';
    return bytes;
}

// Ticks of the window's timer, and which of them sent a request.
struct TickLog {
    int ticks = 0;
    QList<int> requests;
    QMetaObject::Connection connection;
    void watch(frmAlign& a) {
        // Connected after the window's own handler, so it sees the state the tick left.
        connection = QObject::connect(a.Timer1, &QTimer::timeout, &a, [this, &a] {
            ++ticks;
            if (a.cycle.CycleState == AlignCycle::AwaitingStart && a.cycle.TickCount == 0)
                requests << ticks;
        });
    }
    ~TickLog() { QObject::disconnect(connection); }
};
} // namespace

class AlignWindowTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<MainWindowRig> rig;
    frmExec* w = nullptr;

    QList<QByteArray> codes() const { return rig->com1->receivedCodes(); }

    // Presses "Align" and runs `body` once the window is up.
    void aligning(const std::function<void(frmAlign&)>& body) {
        frmAlign& a = w->alignWindow();
        whileShown(
            a, [&] { QTest::mouseClick(w->cmdAlign, Qt::LeftButton); }, [&] { body(a); });
        QVERIFY(!a.isVisible());
        QVERIFY(!w->link().alignRouting());
        QVERIFY(!a.Timer1->isActive());
    }

private slots:
    void init() {
        rig = std::make_unique<MainWindowRig>();
        w = &rig->make(portsFor({{1, rig->com1->devicePath()}}));
        w->Form_Load();
        rig->com1->clearReceived();
    }
    void cleanup() {
        w = nullptr;
        rig.reset();
    }

    void loadReportsAndExitSendExactlyTheirCommands() {
        aligning([&](frmAlign& a) {
            QTRY_VERIFY_WITH_TIMEOUT(codes().count("P6") >= 3, kLong);
            // The simulated target stands level in the middle at the reference distance.
            const qreal d = 250 / std::sqrt(2.0);
            QTRY_COMPARE(shown(a.Picture1, 1566 + d, 1566 + d), kGreen);
            QCOMPARE(shown(a.Picture1, 1566 - d, 1566 - d), kGreen);
            QCOMPARE(shown(a.Picture2, 1566, 186), kGreen);
            QTest::mouseClick(a.cmdQuit, Qt::LeftButton);
        });
        QTRY_COMPARE(codes().mid(codes().size() - 2), (QList<QByteArray>{"+5", "W2"}));
        const QList<QByteArray> sent = codes();
        QCOMPARE(sent.mid(0, 4), (QList<QByteArray>{"W0", ".Z", "D7", "DZ"}));
        // Every answered request is followed by "P6"; Exit may cut the last one short.
        qsizetype k = 3;
        while (k < sent.size() - 2 && sent[k] == "DZ" && k + 1 < sent.size() - 2 &&
               sent[k + 1] == "P6")
            k += 2;
        if (sent[k] == "DZ")
            ++k;
        QCOMPARE(k, sent.size() - 2);
        QCOMPARE(rig->com1->receivedBytes(), framesOf(sent));
    }

    void silentReaderIsAskedEverySeventhTick() {
        rig->com1->setSilent(true);
        TickLog log;
        aligning([&](frmAlign& a) {
            log.watch(a);
            QTRY_VERIFY_WITH_TIMEOUT(log.requests.size() >= 3, kLong);
        });
        QVERIFY(log.requests.size() >= 3);
        QCOMPARE(log.requests[1] - log.requests[0], 7);
        QCOMPARE(log.requests[2] - log.requests[1], 7);
        QTRY_COMPARE(codes().count("DZ"), log.requests.size());
        QVERIFY(!codes().contains("P6"));
    }

    void startAndEndInOneChunkWaitForMoreData() {
        // Seven characters go out in one write, so both markers arrive together.
        rig->com1->setReplyDelayMs(0);
        rig->com1->model().setScriptedReply("DZ", "\x01"
                                                  "03E8 \x02");
        rig->com1->model().setScriptedReply("ZZ", ".");
        TickLog log;
        aligning([&](frmAlign& a) {
            log.watch(a);
            QTRY_VERIFY_WITH_TIMEOUT(log.requests.size() >= 2, kLong);
            // Nothing followed the first reply: it timed out, counted from its request.
            QCOMPARE(log.requests[1] - log.requests[0], 22);
            QVERIFY(!codes().contains("P6"));
            QTRY_VERIFY(a.cycle.ReportText.endsWith(QLatin1Char('\x02')));
            w->link().SendCommand(QStringLiteral("ZZ")); // any further data completes it
            QTRY_VERIFY(codes().contains("P6"));
            // One field, 1000 wide: black up to 44260, white above; no marker, no bar.
            QTRY_COMPARE(profileMismatch(a.Picture3, {44260, 45260}), QString());
            QCOMPARE(a.BarX, -3132.0f);
        });
    }

    void dataAroundTheMarkersNeverReachesTheBody() {
        rig->com1->model().setScriptedReply("DZ", "junk\x02 " + QByteArray("\x01") + kWorkedFields +
                                                      "\x02tail\x01\x02");
        aligning([&](frmAlign& a) {
            QTRY_VERIFY_WITH_TIMEOUT(codes().count("P6") >= 2, kLong);
            QTRY_COMPARE(shown(a.Picture1, 1566 + 250, 1521), kGreen);
            QCOMPARE(shown(a.Picture2, 1566.44, 186), kGreen);
            QCOMPARE(profileMismatch(a.Picture3, kWorkedEdges), QString());
        });
    }

    void reopeningWhileAReportIsAwaited() {
        rig->com1->setSilent(true);
        TickLog first;
        int waitedAtClose = -1;
        aligning([&](frmAlign& a) {
            first.watch(a);
            QTRY_VERIFY_WITH_TIMEOUT(
                a.cycle.CycleState == AlignCycle::AwaitingStart && a.cycle.TickCount == 2, kLong);
            waitedAtClose = a.cycle.TickCount;
            QTest::keyClick(&a, Qt::Key_Escape);
        });
        QCOMPARE(waitedAtClose, 2);
        QTest::qWait(400); // nothing may go out while the window is closed
        QCOMPARE(codes(), (QList<QByteArray>{"W0", ".Z", "D7", "DZ"}));

        TickLog second;
        aligning([&](frmAlign& a) {
            QCOMPARE(a.cycle.CycleState, qint16(AlignCycle::AwaitingStart));
            second.watch(a);
            QTRY_VERIFY_WITH_TIMEOUT(!second.requests.isEmpty(), kLong);
        });
        // The old wait runs out first: its remaining ticks, then the request.
        QVERIFY(!second.requests.isEmpty());
        QCOMPARE(second.requests.first(), 7 - waitedAtClose);
        QTRY_COMPARE(codes(), (QList<QByteArray>{"W0", ".Z", "D7", "DZ", "W0", ".Z", "D7", "DZ"}));
    }

    void everyWayOfClosingStopsTheCycle_data() {
        QTest::addColumn<int>("way");
        QTest::addColumn<bool>("sendsExit");
        QTest::newRow("Exit") << 0 << true;
        QTest::newRow("Esc") << 1 << false;
        QTest::newRow("title bar") << 2 << false;
        QTest::newRow("main window") << 3 << false;
    }
    void everyWayOfClosingStopsTheCycle() {
        QFETCH(int, way);
        QFETCH(bool, sendsExit);
        aligning([&](frmAlign& a) {
            QTRY_VERIFY_WITH_TIMEOUT(codes().count("DZ") >= 1, kLong);
            switch (way) {
            case 0:
                QTest::mouseClick(a.cmdQuit, Qt::LeftButton);
                break;
            case 1:
                QTest::keyClick(&a, Qt::Key_Escape);
                break;
            case 2:
                a.close();
                break;
            default:
                w->closeAlignWindow();
            }
        });
        QTest::qWait(sendsExit ? 100 : 0);
        const QList<QByteArray> atClose = codes();
        QTest::qWait(400); // four ticks' time: no request may follow
        QCOMPARE(codes(), atClose);
        QCOMPARE(atClose.contains("+5"), sendsExit);
        QCOMPARE(atClose.contains("W2"), sendsExit);
    }

    void sideLookIsReadAtEveryReport() {
        aligning([&](frmAlign& a) {
            QTRY_COMPARE_WITH_TIMEOUT(shown(a.Picture2, 1566.44, 186), kGreen, kLong);
            w->chkSide->setCheckState(Qt::PartiallyChecked); // grey counts as checked
            QTRY_COMPARE_WITH_TIMEOUT(shown(a.Picture2, 2871.44, 186), kRed, kLong);
            QCOMPARE(shown(a.Picture2, 1566.44, 186), kWhite);
            w->chkSide->setCheckState(Qt::Unchecked);
            QTRY_COMPARE_WITH_TIMEOUT(shown(a.Picture2, 1566.44, 186), kGreen, kLong);
        });
    }

    void screenshot() {
        const QByteArray target = qgetenv("KSR_ALIGN_SCREENSHOT");
        if (target.isEmpty())
            QSKIP("set KSR_ALIGN_SCREENSHOT to a PNG path to take one");
        AlignmentTarget& t = rig->com1->model().alignmentTarget();
        t.setPosition(21000);
        t.setTilt(0.5);
        t.setDistance(1.03);
        t.setClutterBars(20);
        t.setNoise(15);
        aligning([&](frmAlign& a) {
            QTRY_VERIFY_WITH_TIMEOUT(codes().count("P6") >= 3, kLong);
            QTest::qWait(300);
            QVERIFY(a.grab().save(QString::fromLocal8Bit(target)));
        });
    }
};

QTEST_MAIN(AlignWindowTest)
#include "tst_align_window.moc"
