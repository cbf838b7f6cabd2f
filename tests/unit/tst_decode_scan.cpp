#include "decode/decode_scan.h"

#include <QTest>

namespace {
using Step = DecodeScan::Step;

// Ticks until the scan triggers again, counting the tick that triggers.
int ticksUntilTrigger(DecodeScan& scan, int limit = 100) {
    for (int n = 1; n <= limit; ++n) {
        if (scan.tick().step == Step::Trigger)
            return n;
    }
    return -1;
}
} // namespace

// The decode test window's collect cycle, one 50 ms tick and one receive event at a time.
class DecodeScanTest : public QObject {
    Q_OBJECT
private slots:
    void silentReaderIsTriggeredEvery27Ticks() {
        DecodeScan scan;
        QCOMPARE(scan.tick().step, Step::Trigger);
        QCOMPARE(scan.ScanState, qint16(DecodeScan::Armed));
        QCOMPARE(ticksUntilTrigger(scan), 27);
        QCOMPARE(ticksUntilTrigger(scan), 27);
    }

    void reportIsEvaluatedTwoTicksAfterItStarts() {
        DecodeScan scan;
        scan.arm();
        scan.receive("Ok:75");
        QCOMPARE(scan.ScanState, qint16(DecodeScan::FirstTick));
        QCOMPARE(scan.tick().step, Step::None);
        scan.receive("% 12\r");
        QCOMPARE(scan.tick().step, Step::None);
        QCOMPARE(scan.ScanState, qint16(DecodeScan::Complete));
        QVERIFY(!scan.reads());
        scan.receive("late"); // dropped: the evaluation would discard it anyway
        const DecodeScan::TickResult result = scan.tick();
        QCOMPARE(result.step, Step::Evaluate);
        QCOMPARE(result.report, QStringLiteral("Ok:75% 12\r"));
        QCOMPARE(scan.ScanState, qint16(DecodeScan::Armed));
        QCOMPARE(scan.ScanTickCount, 0);
        // The next characters start a new report alone.
        scan.receive("9");
        QCOMPARE(scan.ReportText, QStringLiteral("9"));
    }

    void aReportStartingLateIsDropped() {
        DecodeScan scan;
        scan.arm();
        for (int k = 0; k < 24; ++k)
            scan.tick();
        scan.receive("Ok:75% 12\r");
        // The second tick of its collection is the 26th since the trigger: it gives up.
        QCOMPARE(ticksUntilTrigger(scan), 3);
    }

    // Closing disarms the scan and opening arms it again; the tick count runs on across both.
    void reopeningContinuesTheTickCount_data() {
        QTest::addColumn<int>("countAtClose");
        QTest::addColumn<int>("firstTrigger"); // tick of the next opening that triggers
        QTest::newRow("20: five ticks left") << 20 << 7;
        QTest::newRow("26: just timed out") << 26 << 2;
    }
    void reopeningContinuesTheTickCount() {
        QFETCH(int, countAtClose);
        QFETCH(int, firstTrigger);
        DecodeScan scan;
        for (int k = 0; k <= countAtClose && scan.ScanTickCount < countAtClose; ++k)
            scan.tick();
        QCOMPARE(scan.ScanTickCount, countAtClose);
        scan.receive("Ok:");
        scan.disarm();
        QCOMPARE(scan.ScanState, qint16(DecodeScan::Idle));
        QVERIFY(scan.ReportText.isEmpty());
        scan.receive("Ok:75% 12\r"); // nothing is awaited
        QVERIFY(scan.ReportText.isEmpty());
        scan.arm();
        QCOMPARE(scan.ScanTickCount, countAtClose);
        QCOMPARE(ticksUntilTrigger(scan), firstTrigger);
    }

    void runawayLineKeepsTheReportsHead() {
        DecodeScan scan;
        scan.arm();
        scan.receive("Ok:75% 1");
        scan.receive(QByteArray(DecodeScan::kReportTextCap, '2'));
        scan.receive("3");
        QCOMPARE(scan.ReportText.size(), DecodeScan::kReportTextCap);
        QVERIFY(scan.ReportText.startsWith(QStringLiteral("Ok:75% 12")));
    }

    // Silence is a trigger unanswered for the whole time-out, told once until a report comes.
    // Neither a count carried over from the last showing nor the wait after a report (a
    // reader may report once per trigger) counts.
    void silenceIsAnUnansweredTrigger() {
        DecodeScan scan;
        scan.ScanTickCount = DecodeScan::kTimeoutTicks + 1; // left by the last showing
        scan.expectReports();
        scan.arm(); // the opening's trigger
        QList<Step> steps;
        const auto run = [&](int ticks) {
            steps.clear();
            for (int k = 0; k < ticks; ++k)
                steps << scan.tick().step;
        };
        run(2);
        QCOMPARE(steps, (QList<Step>{Step::None, Step::Trigger}));
        run(26);
        QCOMPARE(steps.count(Step::NoReports), 1);
        QCOMPARE(steps.last(), Step::NoReports);
        run(60);
        QCOMPARE(steps.count(Step::NoReports), 0);
        QVERIFY(!scan.lineLost());

        scan.receive("Ok:5% 1\r");
        run(30); // evaluated, then a whole time-out without a trigger
        QCOMPARE(steps.count(Step::Evaluate), 1);
        QCOMPARE(steps.count(Step::NoReports), 0);
        QVERIFY(!scan.noReports);
        QVERIFY(scan.lineLost());
    }
};

QTEST_APPLESS_MAIN(DecodeScanTest)
#include "tst_decode_scan.moc"
