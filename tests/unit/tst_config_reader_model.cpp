#include "simulator/power_on_file.h"
#include "simulator/reader_model.h"
#include "symbology_boxes.h"

#include <QTemporaryDir>
#include <QTest>

namespace {
QByteArray frames(const QStringList& codes) {
    QByteArray bytes;
    for (const QString& code : codes)
        bytes += '\x1b' + code.toLatin1() + '\r';
    return bytes;
}

QByteArray frames(std::initializer_list<const char*> codes) {
    QByteArray bytes;
    for (const char* code : codes)
        bytes += QByteArray("\x1b") + code + '\r';
    return bytes;
}

SymbologyBoxes boxesOf(const ReaderModel& model) {
    SettingsTable table{};
    std::copy(model.words().begin(), model.words().end(), table.begin());
    return boxesFromSettings(table);
}
} // namespace

// The simulated reader's settings, read back the way the symbology dialog reads them.
class ConfigReaderModelTest : public QObject {
    Q_OBJECT
private slots:
    // Whatever "OK" sends comes back as the same boxes, but for the 2 of 5 pair, which the
    // dialog ticks by one test.
    void everySelectionRoundTrips() {
        for (int selection = 0; selection < 256; ++selection) {
            SymbologyBoxes boxes{};
            for (int i = 0; i < kSymbologyCount; ++i)
                boxes[std::size_t(i)] = selection & (1 << i);
            ReaderModel model;
            QVERIFY(model.receive(frames(selectionCommands(boxes))).isEmpty());
            SymbologyBoxes expected = boxes;
            expected[IL2of5] = expected[Iata] = boxes[IL2of5] || boxes[Iata];
            QCOMPARE(boxesOf(model), expected);
        }
    }

    void standardSelectionAndBatchGiveTheStandardWords() {
        ReaderModel model;
        const SymbologyBoxes standard = boxesOf(model);
        QCOMPARE(standard, only({Code39, Codabar, IL2of5, Code128, UpcEan, Code93, Iata}));
        model.receive(frames({"B0", "R2", "B7"}));
        model.receive(frames(selectionCommands(standard)));
        QCOMPARE(model.words(), kDefaultSettingsWords); // other bits of the words kept

        model.receive(frames({"B0", "R6"}));
        model.setWord(0, 0x1234);
        QVERIFY(model.receive(frames({"+5", "U4", "D0", "F0", "ST", "-K", "1R"})).isEmpty());
        QCOMPARE(model.words(), kDefaultSettingsWords);
    }

    void z2KeepsTheWordsThroughAPowerCycle() {
        ReaderModel model;
        QList<SettingsWords> stored;
        model.configuration().setPowerOnStore([&](const SettingsWords& w) { stored << w; });
        model.receive(frames({"B7"}));
        model.powerCycle(); // not saved: gone
        QCOMPARE(model.words(), kDefaultSettingsWords);

        model.receive(frames({"B0", "B5"}));
        const SettingsWords saved = model.words();
        QVERIFY(model.receive(frames({"Z2", "ST"})).isEmpty());
        QCOMPARE(stored, QList<SettingsWords>{saved});
        model.powerCycle();
        QCOMPARE(model.words(), saved);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("power-on"));
        QString error;
        QVERIFY(writePowerOnFile(path, saved, &error));
        QCOMPARE(readPowerOnFile(path, &error), std::optional<SettingsWords>(saved));
        QVERIFY(writePowerOnFile(path, {}, &error));
        QFile(path).resize(20); // cut short
        QVERIFY(!readPowerOnFile(path, &error));
        QVERIFY(error.contains(path));
    }

    void readsFollowTheIdentificationSetUp() {
        ReaderModel model;
        QVERIFY(model.receive(frames({"S7"})).isEmpty()); // nothing in view
        model.configuration().setPresentedBarcodes({{1, "ABC"}, {0, "MSI1"}, {6, "40063"}});
        QCOMPARE(model.receive(frames({"S7"})), QList<QByteArray>{"ABC"}); // set-up not active
        model.receive(frames({"S8", "B2", "M4", "Q1"}));
        // In turn, wrapping round; a family without a digit reads bare.
        QCOMPARE(model.receive(frames({"S7", "S7", "S7"})), (QList<QByteArray>{"MSI1",
                                                                               "\x02"
                                                                               "640063",
                                                                               "\x02"
                                                                               "1ABC"}));
        model.receive(frames({"1Y"}));
        QCOMPARE(model.receive(frames({"S7"})), QList<QByteArray>{"MSI1"});
        model.receive(frames({"S8"}));
        model.powerCycle();
        QVERIFY(!model.configuration().identifierActive());
    }

    void barcodeOption_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("family"); // -1: rejected
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("digit") << QStringLiteral("7:XYZ") << 7 << QByteArray("XYZ");
        QTest::newRow("name in any case, colon in the data")
            << QStringLiteral("EAN:40:06") << 6 << QByteArray("40:06");
        QTest::newRow("no colon") << QStringLiteral("code39") << -1 << QByteArray();
        QTest::newRow("unknown family") << QStringLiteral("12:1") << -1 << QByteArray();
        QTest::newRow("beyond Latin-1") << QStringLiteral("1:\u20AC") << -1 << QByteArray();
    }
    void barcodeOption() {
        QFETCH(QString, text);
        QFETCH(int, family);
        QFETCH(QByteArray, data);
        QString error;
        const auto parsed = parseBarcode(text, &error);
        QCOMPARE(parsed.has_value(), family >= 0);
        QCOMPARE(error.isEmpty(), family >= 0);
        if (parsed) {
            QCOMPARE(parsed->family, family);
            QCOMPARE(parsed->data, data);
        }
    }
};

QTEST_GUILESS_MAIN(ConfigReaderModelTest)
#include "tst_config_reader_model.moc"
