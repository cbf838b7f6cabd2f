#include "align/align_cycle.h"

#include <QTest>

namespace {
using Step = AlignCycle::Step;

// Ticks until the cycle asks again, counting the tick that asks.
int ticksUntilRequest(AlignCycle& cycle, int limit = 100) {
    for (int n = 1; n <= limit; ++n) {
        if (cycle.tick().step == Step::Request)
            return n;
    }
    return -1;
}
} // namespace

class AlignCycleTest : public QObject {
    Q_OBJECT
private slots:
    // Both waits grow by the cycle ticks of a network's round trip (none on a local line).
    void waitsCountFromTheRequest_data() {
        QTest::addColumn<int>("roundTripTicks");
        QTest::addColumn<int>("silentEvery");
        QTest::addColumn<int>("cutReportEvery");
        QTest::newRow("local line") << 0 << 7 << 20;
        QTest::newRow("5 ticks away") << 5 << 12 << 25;
    }
    void waitsCountFromTheRequest() {
        QFETCH(int, roundTripTicks);
        QFETCH(int, silentEvery);
        QFETCH(int, cutReportEvery);
        AlignCycle cycle;
        cycle.roundTripTicks = roundTripTicks;
        QCOMPARE(cycle.tick().step, Step::Request);
        QCOMPARE(cycle.CycleState, qint16(AlignCycle::AwaitingStart));
        QCOMPARE(cycle.TickCount, 0);
        QCOMPARE(ticksUntilRequest(cycle), silentEvery);
        QCOMPARE(ticksUntilRequest(cycle), silentEvery);

        cycle.tick();
        cycle.tick();
        QVERIFY(!cycle.receive("\x01"
                               "01F4 "));
        QCOMPARE(cycle.CycleState, qint16(AlignCycle::Collecting));
        QCOMPARE(cycle.TickCount, 2); // not reset by the start marker
        // Local: ticks 3..20 wait, tick 21 gives up, tick 22 asks again.
        QCOMPARE(ticksUntilRequest(cycle), cutReportEvery);
    }

    void reportReadyIsProcessedOnTheNextTick() {
        AlignCycle cycle;
        cycle.tick();
        cycle.receive("\x01");
        QVERIFY(cycle.receive("01F4 03E8 \x02"));
        QCOMPARE(cycle.CycleState, qint16(AlignCycle::ReportReady));
        QVERIFY(!cycle.receive("late")); // dropped, the body stays as it was
        const AlignCycle::TickResult result = cycle.tick();
        QCOMPARE(result.step, Step::Process);
        QCOMPARE(result.report, QStringLiteral("01F4 03E8\r"));
        QCOMPARE(cycle.CycleState, qint16(AlignCycle::Idle));
        QVERIFY(cycle.ReportText.isEmpty());
        QCOMPARE(cycle.tick().step, Step::Request);
    }

    void chunks_data() {
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<int>("completedBy"); // index of the chunk that completes, -1 none
        QTest::addColumn<QString>("body");
        using L = QList<QByteArray>;
        const QByteArray S(1, AlignCycle::kStartMarker);
        const QByteArray E(1, AlignCycle::kEndMarker);
        QTest::newRow("marker, fields, marker")
            << L{S, "01F4 03", "E8 " + E} << 2 << QStringLiteral("01F4 03E8\r");
        QTest::newRow("data before the start and after the end")
            << L{"junk" + E, "xx" + S + "01F4 ", "03E8 " + E + "tail" + S} << 2
            << QStringLiteral("01F4 03E8\r");
        QTest::newRow("start and end in one chunk, then more data")
            << L{S + "01F4 " + E, "x"} << 1 << QStringLiteral("01F4\r");
        QTest::newRow("start and end in one chunk, nothing more")
            << L{S + "01F4 " + E} << -1 << QString();
        QTest::newRow("end marker right after the start marker")
            << L{S, E} << 1 << QStringLiteral("\r");
        QTest::newRow("one character between") << L{S, "0" + E} << 1 << QStringLiteral("\r");
        QTest::newRow("two characters between") << L{S, "01" + E} << 1 << QStringLiteral("0\r");
        QTest::newRow("no start marker") << L{"01F4 " + E, "03E8 " + E} << -1 << QString();
    }
    void chunks() {
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(int, completedBy);
        QFETCH(QString, body);
        AlignCycle cycle;
        cycle.tick();
        int completed = -1;
        for (qsizetype k = 0; k < chunks.size(); ++k) {
            if (cycle.receive(chunks[k])) {
                QCOMPARE(completed, -1); // "P6" goes out once per report
                completed = int(k);
            }
        }
        QCOMPARE(completed, completedBy);
        if (completedBy >= 0)
            QCOMPARE(cycle.tick().report, body);
    }

    void runawayLineCostsNoMemory() {
        AlignCycle cycle;
        QVERIFY(!cycle.receive("\x01\x02")); // idle: nothing is awaited, nothing kept
        QVERIFY(cycle.ReportText.isEmpty());
        cycle.tick();
        const QByteArray junk(AlignCycle::kReportTextCap / 2, 'x');
        // Awaiting the start marker, nothing is kept.
        QVERIFY(!cycle.receive(junk));
        QVERIFY(cycle.ReportText.isEmpty());
        QVERIFY(!cycle.receive(junk + "\x01" + junk));
        QCOMPARE(cycle.ReportText.size(), junk.size());
        // Past the cap without an end marker the report is given up and asked for again.
        QVERIFY(!cycle.receive(junk + 'y'));
        QVERIFY(!cycle.receive("\x02"));
        QCOMPARE(cycle.CycleState, qint16(AlignCycle::Idle));
        QVERIFY(cycle.ReportText.isEmpty());
        QCOMPARE(cycle.tick().step, Step::Request);
    }

    // Told once per silence: at the first unanswered request of a showing, or at once when the
    // line is lost; a wait left over from the last showing proves nothing.
    void silenceIsToldOnceUntilAReportComes() {
        AlignCycle cycle;
        cycle.CycleState = AlignCycle::AwaitingStart;
        cycle.TickCount = AlignCycle::kStartTimeout;
        cycle.expectReports(); // shown again
        QCOMPARE(cycle.tick().step, Step::None);
        QCOMPARE(cycle.tick().step, Step::Request);
        for (int k = 1; k <= AlignCycle::kStartTimeout; ++k)
            QCOMPARE(cycle.tick().step, Step::None);
        QCOMPARE(cycle.tick().step, Step::NoReports);
        QVERIFY(cycle.noReports);
        QCOMPARE(ticksUntilRequest(cycle), 1);
        QCOMPARE(ticksUntilRequest(cycle), 7); // no second NoReports on the way
        QVERIFY(!cycle.lineLost());

        cycle.receive("\x01");
        cycle.receive("01F4 \x02");
        QCOMPARE(cycle.tick().step, Step::Process);
        QVERIFY(!cycle.noReports);
        QVERIFY(cycle.lineLost());
        QVERIFY(cycle.noReports);
    }
};

QTEST_APPLESS_MAIN(AlignCycleTest)
#include "tst_align_cycle.moc"
