#include "align/frm_align.h"
#include "decode/frm_decode.h"
#include "loaded_on_com1.h"
#include "modal_window.h"

#include <QElapsedTimer>

namespace {
constexpr qint64 kFloodBudget = qint64(1) << 40; // stopped by the test, never by the budget
constexpr int kWindowFloodMs = 1500;
constexpr int kLong = 15000; // ms; a loaded machine may be slow, never fast
// Far above the 10 ms the timer asks for; the real figures come from bench_flood_latency.
constexpr qint64 kLatencyBoundMs = 500;
// What may wait unread in the serial port between two receive events.
constexpr qint64 kPendingBound = 1024 * 1024;

enum class Target { Verification, Identification, Align, Decode };

struct FloodSeen {
    qint64 worstGapMs = 0;
    qsizetype reply = 0, align = 0, decode = 0;
    qint64 pending = 0;
};

// While it lives: the longest stall of a 10 ms timer, and the largest buffers, taken after
// every receive event of the windows and on every tick.
struct FloodWatch {
    frmExec& w;
    QTimer timer;
    QElapsedTimer clock;
    qint64 last = 0;
    FloodSeen seen;
    std::function<void()> alignReceiver = w.link().alignReceiver();
    std::function<void()> decodeReceiver = w.link().decodeReceiver();

    explicit FloodWatch(frmExec& window) : w(window) {
        w.link().setAlignReceiver([this] {
            alignReceiver();
            sample();
        });
        w.link().setDecodeReceiver([this] {
            decodeReceiver();
            sample();
        });
        timer.setInterval(10);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            const qint64 now = clock.elapsed();
            seen.worstGapMs = qMax(seen.worstGapMs, now - last);
            last = now;
            sample();
        });
        clock.start();
        timer.start();
    }
    ~FloodWatch() {
        w.link().setAlignReceiver(alignReceiver);
        w.link().setDecodeReceiver(decodeReceiver);
    }
    void sample() {
        seen.reply = qMax(seen.reply, w.link().replyBuffer().size());
        seen.align = qMax(seen.align, w.alignWindow().cycle.ReportText.size());
        seen.decode = qMax(seen.decode, w.decodeWindow().scan.ReportText.size());
        seen.pending = qMax(seen.pending, w.link().pendingInput());
    }
};
} // namespace

class HostileFloodTest : public QObject {
    Q_OBJECT
private slots:
    // A device that ignores the baud rate floods the line during each operation and window:
    // every buffer stays bounded, the event loop keeps answering, no report is written, and
    // once the flood stops the reader is verified as usual.
    void floodStaysBoundedAndTheReaderAnswersAfterwards_data() {
        QTest::addColumn<Target>("target");
        QTest::addColumn<QByteArray>("avoid");
        QTest::newRow("verification") << Target::Verification << QByteArray("V");
        QTest::newRow("identification") << Target::Identification << QByteArray();
        QTest::newRow("align, markers everywhere") << Target::Align << QByteArray();
        QTest::newRow("align, no start marker") << Target::Align << QByteArray("\x01");
        QTest::newRow("align, no end marker") << Target::Align << QByteArray("\x02");
        QTest::newRow("decode") << Target::Decode << QByteArray();
    }
    void floodStaysBoundedAndTheReaderAnswersAfterwards() {
        QFETCH(Target, target);
        QFETCH(QByteArray, avoid);
        MainWindowRig rig;
        frmExec& w = loadedOnCom1(rig);
        QFile::remove(rig.reportPath());
        PtyReader& reader = *rig.com1;
        reader.setSilent(true); // nothing but the flood on the line
        reader.startFlood(kFloodBudget, avoid);
        std::optional<FloodWatch> watch;
        watch.emplace(w);

        const auto floodWhileShown = [&](QDialog& window, void (frmExec::*open)()) {
            whileShown(
                window, [&] { (w.*open)(); },
                [&] {
                    QElapsedTimer shown;
                    shown.start();
                    QTRY_VERIFY_WITH_TIMEOUT(shown.elapsed() > kWindowFloodMs, kLong);
                });
        };
        switch (target) {
        case Target::Verification:
            QCOMPARE(w.GetXSW(), VerificationOutcome::NoResponse);
            break;
        case Target::Identification:
            QTest::mouseClick(w.cmdSymbols, Qt::LeftButton);
            break;
        case Target::Align:
            floodWhileShown(w.alignWindow(), &frmExec::cmdAlign_Click);
            break;
        case Target::Decode:
            floodWhileShown(w.decodeWindow(), &frmExec::cmdDecode_Click);
            break;
        }
        const FloodSeen seen = watch->seen;
        watch.reset();
        reader.stopFlood();
        qInfo("flood: %lld bytes, worst gap %lld ms, reply %lld, align %lld, decode %lld, "
              "pending %lld",
              reader.floodSent(), seen.worstGapMs, qint64(seen.reply), qint64(seen.align),
              qint64(seen.decode), seen.pending);

        QVERIFY(reader.floodSent() > 4 * ReaderLink::kReplyBufferCap);
        QVERIFY(seen.worstGapMs < kLatencyBoundMs);
        QVERIFY(seen.reply <= ReaderLink::kReplyBufferCap);
        QVERIFY(seen.align <= AlignCycle::kReportTextCap + kPendingBound);
        QVERIFY(seen.decode <= DecodeScan::kReportTextCap);
        QVERIFY(seen.pending < kPendingBound);
        QVERIFY(!QFile::exists(rig.reportPath()));

        reader.setSilent(false);
        QCOMPARE(w.GetXSW(), VerificationOutcome::SettingsRead);
        QCOMPARE(rig.report(), defaultReport());
    }
};

QTEST_MAIN(HostileFloodTest)
#include "tst_hostile_flood.moc"
