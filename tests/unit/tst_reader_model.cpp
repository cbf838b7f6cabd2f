#include "simulator/reader_model.h"

#include "protocol/settings_words.h"

#include <QTest>

namespace {

const QByteArray kZ3 = QByteArrayLiteral("\x1BZ3\r");

// 1-based position of `needle`, as the program counts.
qsizetype position(const QByteArray& text, const char* needle) {
    return text.indexOf(needle) + 1;
}

// The characters at 1-based positions from..to.
QByteArray at(const QByteArray& text, qsizetype from, qsizetype to) {
    return text.mid(from - 1, to - from + 1);
}

qsizetype wordPosition(qsizetype q, int k) {
    return q + 7 + 5 * k + 7 * (k / 10);
}

QByteArray hex4(quint16 value) {
    return QByteArray::number(value, 16).toUpper().rightJustified(4, '0');
}

} // namespace

class TestReaderModel : public QObject {
    Q_OBJECT

private slots:
    void framing_data();
    void framing();
    void chunkingDoesNotMatter();
    void garbageFloodIsBounded();
    void z3LayoutByPosition_data();
    void z3LayoutByPosition();
    void unknownCodesRecordedNotAnswered();
    void clearReceived();
};

void TestReaderModel::framing_data() {
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

void TestReaderModel::framing() {
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

void TestReaderModel::chunkingDoesNotMatter() {
    const QByteArray stream =
        QByteArrayLiteral("\x00\x1BZ3\r\x1B\x1BQ1\rnoise\x1BZ3\r\x1BZ3\x1B\x1BZ3\r\r\r\x1BXY\r");
    ReaderModel whole;
    const QList<QByteArray> expected = whole.receive(stream);
    QCOMPARE(whole.receivedCodes(), (QList<QByteArray>{"Z3", "Q1", "Z3", "Z3", "XY"}));

    for (qsizetype size = 1; size <= 7; ++size) {
        ReaderModel model;
        QList<QByteArray> got;
        for (qsizetype i = 0; i < stream.size(); i += size)
            got += model.receive(stream.mid(i, size));
        QCOMPARE(got, expected);
        QCOMPARE(model.receivedCodes(), whole.receivedCodes());
    }
}

void TestReaderModel::garbageFloodIsBounded() {
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

void TestReaderModel::z3LayoutByPosition_data() {
    QTest::addColumn<QByteArray>("firmware");
    QTest::addColumn<bool>("changeWords");

    QTest::newRow("defaults") << QByteArray() << false;
    QTest::newRow("other firmware and words") << QByteArrayLiteral(" KWMR5999") << true;
}

void TestReaderModel::z3LayoutByPosition() {
    QFETCH(QByteArray, firmware);
    QFETCH(bool, changeWords);

    ReaderModel model;
    QByteArray expectedFirmware(kExpectedFirmware);
    if (!firmware.isEmpty()) {
        model.setFirmware(firmware);
        expectedFirmware = firmware;
    }
    SettingsWords words{};
    for (std::size_t i = 0; i < words.size(); ++i)
        words[i] = kDefaultSettingsWords[i];
    if (changeWords) {
        // Distinct values, small ones included to catch missing zero padding.
        for (std::size_t i = 0; i < words.size(); ++i)
            words[i] = static_cast<quint16>(i * 0x0411 + (i % 3));
        model.setWords(words);
    }

    const QByteArray reply = model.z3Reply();
    QVERIFY2(reply.size() >= 250 && reply.size() <= 350, QByteArray::number(reply.size()));

    const qsizetype p = position(reply, "Ver.");
    QVERIFY(p > 0);
    QCOMPARE(at(reply, p + 6, p + 14), expectedFirmware);
    QVERIFY(reply.size() >= p + 15);

    const qsizetype q = position(reply, "XSW");
    QVERIFY2(q >= 10, QByteArray::number(q));
    for (int k = 0; k < kSettingsWordCount; ++k) {
        const qsizetype w = wordPosition(q, k);
        QCOMPARE(at(reply, w, w + 3), hex4(words[static_cast<std::size_t>(k)]));
    }
    // Fields of the last word end before the reply does.
    QVERIFY(reply.size() > wordPosition(q, kSettingsWordCount - 1) + 3);
}

void TestReaderModel::unknownCodesRecordedNotAnswered() {
    ReaderModel model;
    QVERIFY(model.receive("\x1BQ1\r\x1Bz3\r\x1B  \r").isEmpty());
    QCOMPARE(model.receivedCodes(), (QList<QByteArray>{"Q1", "z3", "  "}));

    // Only the answered command gets a reply, even when mixed with others.
    const QList<QByteArray> replies = model.receive("\x1BQ1\r\x1BZ3\r\x1BQ2\r");
    QCOMPARE(replies, QList<QByteArray>{model.z3Reply()});
}

void TestReaderModel::clearReceived() {
    ReaderModel model;
    model.receive("\x1BQ1\r\x1BZ");
    model.clearReceived();
    QVERIFY(model.receivedCodes().isEmpty());
    QVERIFY(model.receivedBytes().isEmpty());

    // Clearing the history must not lose the half-received frame.
    QCOMPARE(model.receive("3\r").size(), 1);
    QCOMPARE(model.receivedCodes(), QList<QByteArray>{"Z3"});
}

QTEST_GUILESS_MAIN(TestReaderModel)
#include "tst_reader_model.moc"
