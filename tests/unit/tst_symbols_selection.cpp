#include "symbology_boxes.h"

#include <QTest>

namespace {
QStringList codes(std::initializer_list<const char*> list) {
    QStringList result;
    for (const char* code : list)
        result << QLatin1String(code);
    return result;
}

using Entries = QList<std::pair<int, qint32>>;
} // namespace

Q_DECLARE_METATYPE(SymbologyBoxes)
Q_DECLARE_METATYPE(Entries)

// The dialog's reading of the settings words, and what "OK" sends.
class SymbolsSelectionTest : public QObject {
    Q_OBJECT
private slots:
    void boxesFollowTheSettingsBits_data() {
        QTest::addColumn<Entries>("entries"); // on an all-zero table
        QTest::addColumn<SymbologyBoxes>("boxes");
        QTest::newRow("bit 0 of entries 9, 10, 13, 14")
            << Entries{{9, 1}, {10, 1}, {13, 1}, {14, 1}} << only({Code39, Codabar, Code128, Msi});
        QTest::newRow("other bits of those")
            << Entries{{9, 0xFFFE}, {10, 0xFFFE}, {13, 0xFFFE}, {14, 0xFFFE}} << only({});
        QTest::newRow("entry 11 bit 8 alone ticks both 2 of 5 boxes")
            << Entries{{11, 0x0100}} << only({IL2of5, Iata});
        QTest::newRow("entry 11 bit 0 too") << Entries{{11, 0x0001}} << only({IL2of5, Iata});
        QTest::newRow("Code 93 is bit 8 of entry 12, not bit 0")
            << Entries{{12, 0x0100}} << only({Code93});
        QTest::newRow("bit 0 of entry 12") << Entries{{12, 0xFEFF}} << only({});
        QTest::newRow("UPC, EAN from bit 0, 8 or 12 of entries 5 to 7")
            << Entries{{7, 0x1000}} << only({UpcEan});
        QTest::newRow("bit 8 of entry 5") << Entries{{5, 0x0100}} << only({UpcEan});
        QTest::newRow("other bits of entries 5 to 7")
            << Entries{{5, 0xEEFE}, {6, 0xEEFE}, {7, 0xEEFE}} << only({});
        QTest::newRow("entries 5 to 7 zero leave UPC, EAN off whatever 9 to 14 hold")
            << Entries{{9, 0xFFFF},  {10, 0xFFFF}, {11, 0xFFFF},
                       {12, 0xFFFF}, {13, 0xFFFF}, {14, 0xFFFF}}
            << only({Code39, Codabar, IL2of5, Code128, Msi, Code93, Iata});
    }
    void boxesFollowTheSettingsBits() {
        QFETCH(Entries, entries);
        QFETCH(SymbologyBoxes, boxes);
        SettingsTable settings{};
        for (const auto& [entry, value] : entries)
            settings[static_cast<std::size_t>(entry)] = value;
        QCOMPARE(boxesFromSettings(settings), boxes);
    }

    void okSendsTheCompleteSelection_data() {
        QTest::addColumn<SymbologyBoxes>("ticked");
        QTest::addColumn<QStringList>("commands");
        QTest::newRow("nothing ticked") << only({}) << codes({"B0"});
        QTest::newRow("only Codabar") << only({Codabar}) << codes({"B0", "A3"});
        QTest::newRow("only Code 93: no first-position code")
            << only({Code93}) << codes({"B0", "B5"});
        QTest::newRow("IL 2 of 5 and UPC, EAN")
            << only({IL2of5, UpcEan}) << codes({"B0", "J7", "R8", "R1", "R4"});
        QTest::newRow("Code 93 and IATA") << only({Code93, Iata}) << codes({"B0", "B5", "A4"});
        QTest::newRow("everything")
            << kAllBoxes
            << codes({"B0", "A2", "B3", "R7", "R8", "B6", "R1", "R4", "B7", "B5", "B4"});
        QTest::newRow("only UPC, EAN") << only({UpcEan}) << codes({"B0", "J1", "R4"});
        QTest::newRow("MSI/Plessy and IATA") << only({Msi, Iata}) << codes({"B0", "A7", "B4"});
        QTest::newRow("UPC, EAN after a first position")
            << only({Code128, UpcEan}) << codes({"B0", "A6", "R1", "R4"});
    }
    void okSendsTheCompleteSelection() {
        QFETCH(SymbologyBoxes, ticked);
        QFETCH(QStringList, commands);
        QCOMPARE(selectionCommands(ticked), commands);
    }
};

QTEST_GUILESS_MAIN(SymbolsSelectionTest)
#include "tst_symbols_selection.moc"
