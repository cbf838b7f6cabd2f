#include "link/line_log.h"

#include <QTest>

namespace {
LineEntry data(LineEntry::Kind kind, const QByteArray& bytes, double ms = 1234.5) {
    return LineEntry{ms, QStringLiteral("COM3"), kind, bytes, {}};
}
LineEntry eventEntry(const QString& text) {
    return LineEntry{7.25, QStringLiteral("COM3"), LineEntry::Kind::Event, {}, text};
}
} // namespace

Q_DECLARE_METATYPE(LineEntry)

class LineLogTest : public QObject {
    Q_OBJECT
private slots:
    void entriesAsTheWindowShowsThem_data() {
        QTest::addColumn<LineEntry>("entry");
        QTest::addColumn<QString>("shown");
        QTest::newRow("frame sent")
            << data(LineEntry::Kind::Sent, "\x1bZ3\r")
            << QStringLiteral("  1234.500 COM3 sent     1B 5A 33 0D  |<ESC>Z3<CR>|");
        QTest::newRow("report received")
            << data(LineEntry::Kind::Received, QByteArray("\x01"
                                                          "0A\n\x02\x00",
                                                          6))
            << QStringLiteral(
                   "  1234.500 COM3 received 01 30 41 0A 02 00  |<SOH>0A<LF><STX><NUL>|");
        QTest::newRow("noise") << data(LineEntry::Kind::Received, "\x7f\xff|")
                               << QStringLiteral("  1234.500 COM3 received 7F FF 7C  |<DEL><FF>||");
        QTest::newRow("lost") << eventEntry(QStringLiteral("lost: No such device"))
                              << QStringLiteral("     7.250 COM3 lost: No such device");
    }
    void entriesAsTheWindowShowsThem() {
        QFETCH(LineEntry, entry);
        QFETCH(QString, shown);
        QCOMPARE(windowLine(entry), shown);
        // Saved, each is the trace's own line.
        const QByteArray traced =
            entry.kind == LineEntry::Kind::Event
                ? traceEventLine(entry.ms, entry.port, entry.event)
                : traceDataLine(entry.ms, entry.port,
                                entry.kind == LineEntry::Kind::Sent ? TraceDirection::Sent
                                                                    : TraceDirection::Received,
                                entry.bytes);
        QCOMPARE(traceLine(entry), traced);
    }

    void keepsTheNewestAndCountsWhatWent_data() {
        QTest::addColumn<int>("appended");
        QTest::newRow("under the cap") << 9999;
        QTest::newRow("at the cap") << 10000;
        QTest::newRow("flood") << 25001;
    }
    void keepsTheNewestAndCountsWhatWent() {
        QFETCH(int, appended);
        LineLog log;
        for (int k = 0; k < appended; ++k)
            log.append(data(LineEntry::Kind::Received, QByteArray::number(k), k));
        const int kept = std::min(appended, 10000);
        QCOMPARE(log.size(), kept);
        QCOMPARE(log.dropped(), appended - kept);
        QCOMPARE(log.appended(), appended);
        for (const int k : {0, kept / 2, kept - 1})
            QCOMPARE(log.at(k).bytes, QByteArray::number(appended - kept + k));
        // A chunk keeps its bytes, not the room of the buffer it was read into.
        QByteArray read = QByteArrayLiteral("0A");
        read.reserve(16384);
        log.append(data(LineEntry::Kind::Received, read));
        QVERIFY(log.at(log.size() - 1).bytes.capacity() < 64);
        QCOMPARE(read.capacity(), 16384);
        log.clear();
        QCOMPARE(log.size(), 0);
        QCOMPARE(log.dropped(), 0);
        log.append(eventEntry(QStringLiteral("closed")));
        QCOMPARE(log.at(0).event, QStringLiteral("closed"));
    }
};

QTEST_APPLESS_MAIN(LineLogTest)
#include "tst_line_log.moc"
