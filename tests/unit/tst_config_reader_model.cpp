#include "frames.h"
#include "simulator/power_on_file.h"
#include "simulator/reader_model.h"
#include "symbology_boxes.h"

#include <QTemporaryDir>
#include <QTest>

namespace {
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
};

QTEST_GUILESS_MAIN(ConfigReaderModelTest)
#include "tst_config_reader_model.moc"
