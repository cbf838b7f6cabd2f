#include "simulator/reader_model.h"

#include <QTest>

namespace {
const QByteArray kZ3 = QByteArrayLiteral("\x1BZ3\r");
} // namespace

// What the simulated reader makes of the bytes it is sent.
class TestReaderModel : public QObject {
    Q_OBJECT
private slots:

    void framing_data() {
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<QList<QByteArray>>("codes");
        QTest::addColumn<int>("replies");

        using L = QList<QByteArray>;
        QTest::newRow("one frame") << L{kZ3} << L{"Z3"} << 1;
        QTest::newRow("split in every byte") << L{"\x1B", "Z", "3", "\r"} << L{"Z3"} << 1;
        QTest::newRow("split after ESC") << L{"\x1B", "Z3\r"} << L{"Z3"} << 1;
        QTest::newRow("two frames in one chunk") << L{"\x1BZ3\r\x1BZ3\r"} << L{"Z3", "Z3"} << 2;
        QTest::newRow("frames merged and split") << L{"\x1BZ3\r\x1B"
                                                      "A",
                                                      "B\r\x1BZ", "3\r"}
                                                 << L{"Z3", "AB", "Z3"} << 2;
        QTest::newRow("garbage around frames")
            << L{"xx\r\n\x01\xFF\x1BZ3\rjunk\r\r\x1BZ3\r!!"} << L{"Z3", "Z3"} << 2;
        QTest::newRow("ESC without CR, then a new ESC") << L{"\x1BZ\x1BZ3\r"} << L{"Z3"} << 1;
        QTest::newRow("complete code but no CR, then ESC") << L{"\x1BZ3\x1BZ3\r"} << L{"Z3"} << 1;
        QTest::newRow("CR too early is no frame") << L{"\x1BZ\r3\r"} << L{} << 0;
        QTest::newRow("wrong terminator drops the frame") << L{"\x1BZ3\n\r"} << L{} << 0;
        QTest::newRow("control character in the code") << L{"\x1BZ\x02\r"} << L{} << 0;
        QTest::newRow("lone CR and stray code") << L{"\rZ3\r"} << L{} << 0;
        QTest::newRow("empty chunk") << L{QByteArray()} << L{} << 0;
    }

    void framing() {
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(QList<QByteArray>, codes);
        QFETCH(int, replies);

        ReaderModel model;
        QList<QByteArray> got;
        QList<QByteArray> reported;
        for (const QByteArray& chunk : chunks)
            got += model.receive(chunk, &reported);

        QCOMPARE(model.receivedCodes(), codes);
        QCOMPARE(reported, codes);
        QCOMPARE(got.size(), replies);
        for (const QByteArray& reply : got)
            QCOMPARE(reply, model.z3Reply());
        QCOMPARE(model.receivedBytes(), chunks.join());
    }

    void garbageFloodIsBounded() {
        ReaderModel model;
        const QByteArray flood(ReaderModel::kMaxRecordedBytes, 'A');

        // Garbage with no ESC at all, then garbage right after an ESC.
        QVERIFY(model.receive(flood).isEmpty());
        QVERIFY(model.receive("\x1B" + flood).isEmpty());
        QVERIFY(model.receivedBytes().size() <= ReaderModel::kMaxRecordedBytes);

        // The reader still answers, and the latest bytes are the ones kept.
        QCOMPARE(model.receive(kZ3).size(), 1);
        QVERIFY(model.receivedBytes().endsWith(kZ3));
        QCOMPARE(model.receivedBytes().size(), ReaderModel::kMaxRecordedBytes);
        QCOMPARE(model.receivedCodes(), QList<QByteArray>{"Z3"});
    }
};

QTEST_GUILESS_MAIN(TestReaderModel)
#include "tst_reader_model.moc"
