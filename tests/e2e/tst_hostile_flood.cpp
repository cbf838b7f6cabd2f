#include "align/frm_align.h"
#include "decode/frm_decode.h"
#include "main_window_rig.h"
#include "modal_window.h"
#include "tick_log.h"

#include <QElapsedTimer>

namespace {
constexpr qint64 kFloodBudget = qint64(1) << 40; // stopped by the test, never by the budget
// A window is flooded for three of its ticks and 16 buffers' worth of bytes at least.
constexpr int kWindowFloodTicks = 3;
constexpr qint64 kWindowFloodBytes = 16 * ReaderLink::kReplyBufferCap;
constexpr int kLong = 15000; // ms; a loaded machine may be slow, never fast
// Far above the 10 ms the timer asks for; the real figures come from bench_flood_latency.
constexpr qint64 kLatencyBoundMs = 500;
// What may wait unread in the serial port between two receive events.
constexpr qint64 kPendingBound = 1024 * 1024;

enum class Target { Verification, Identification, Align, Decode };

// While it lives, on a 10 ms timer: the longest stall of that timer, and the largest buffers.
// Without their caps the buffers would grow by megabytes between two samples.
struct FloodWatch {
    qint64 worstGapMs = 0;
    qsizetype reply = 0, align = 0, decode = 0;
    qint64 pending = 0;
    QTimer timer;
    QElapsedTimer clock;

    explicit FloodWatch(frmExec& w) {
        timer.setInterval(10);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, [this, &w, last = qint64(0)]() mutable {
            worstGapMs = qMax(worstGapMs, clock.elapsed() - last);
            last = clock.elapsed();
            reply = qMax(reply, w.link().replyBuffer().size());
            align = qMax(align, w.alignWindow().cycle.ReportText.size());
            decode = qMax(decode, w.decodeWindow().scan.ReportText.size());
            pending = qMax(pending, w.link().pendingInput());
        });
        clock.start();
        timer.start();
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
        frmExec& w = rig.loadOnCom1();
        QFile::remove(rig.reportPath());
        PtyReader& reader = *rig.com1;
        reader.setSilent(true); // nothing but the flood on the line
        reader.startFlood(kFloodBudget, avoid);
        auto seen = std::make_unique<FloodWatch>(w);

        const auto floodWhileShown = [&](QDialog& window, QTimer* timer, void (frmExec::*open)()) {
            TickLog log(timer, {});
            QVERIFY(whileModal([&] { (w.*open)(); },
                               [&](QWidget*) {
                                   QTRY_VERIFY_WITH_TIMEOUT(log.ticks >= kWindowFloodTicks &&
                                                                reader.floodSent() >
                                                                    kWindowFloodBytes,
                                                            kLong);
                               }));
            QVERIFY(!window.isVisible());
        };
        switch (target) {
        case Target::Verification:
            QCOMPARE(w.GetXSW(), VerificationOutcome::NoResponse);
            break;
        case Target::Identification:
            QTest::mouseClick(w.cmdSymbols, Qt::LeftButton);
            break;
        case Target::Align:
            floodWhileShown(w.alignWindow(), w.alignWindow().Timer1, &frmExec::cmdAlign_Click);
            break;
        case Target::Decode:
            floodWhileShown(w.decodeWindow(), w.decodeWindow().Timer1, &frmExec::cmdDecode_Click);
            break;
        }
        seen->timer.stop();
        reader.stopFlood();
        qInfo("flood: %lld bytes, worst gap %lld ms, reply %lld, align %lld, decode %lld, "
              "pending %lld",
              reader.floodSent(), seen->worstGapMs, qint64(seen->reply), qint64(seen->align),
              qint64(seen->decode), seen->pending);
        QVERIFY(reader.floodSent() > 4 * ReaderLink::kReplyBufferCap);
        QVERIFY(seen->worstGapMs < kLatencyBoundMs);
        QVERIFY(seen->reply <= ReaderLink::kReplyBufferCap);
        QVERIFY(seen->align <= AlignCycle::kReportTextCap + kPendingBound);
        QVERIFY(seen->decode <= DecodeScan::kReportTextCap);
        QVERIFY(seen->pending < kPendingBound);
        QVERIFY(!QFile::exists(rig.reportPath()));

        reader.setSilent(false);
        QCOMPARE(w.GetXSW(), VerificationOutcome::SettingsRead);
        QCOMPARE(rig.report(), defaultReport());
    }
};

QTEST_MAIN(HostileFloodTest)
#include "tst_hostile_flood.moc"
