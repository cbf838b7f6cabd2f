#include "reader_ops/verification_judgement.h"
#include "simulator/reader_model.h"

#include <QTest>

namespace {
const QString kFirmware = QString::fromLatin1(kExpectedFirmware);
const QString kInvalid = QStringLiteral("Invalid Response from Barcode Reader");
const QString kDifferent = QStringLiteral("Settings are different from Default values");

enum class Reply { Standard, TwoWordsDiffer, NoMarker, MarkerOnly, NoBlock, Noise, ByteLost };

QString replyFor(Reply kind) {
    ReaderModel reader;
    switch (kind) {
    case Reply::Standard:
        break;
    case Reply::TwoWordsDiffer:
        reader.setWord(5, 0x1234);
        reader.setWord(38, 0x0000);
        break;
    case Reply::NoMarker:
        return QString::fromLatin1(reader.z3Reply().replace("Ver.", "ver."));
    case Reply::MarkerOnly:
        return QStringLiteral("Ver.5");
    case Reply::NoBlock:
        return QString::fromLatin1(reader.z3Reply().replace("XSW", "XSV"));
    case Reply::Noise: // word 18, 0000, reads as 0 all the same
        return QString::fromLatin1(reader.z3Reply().replace("2070 0000", "2070 0Z00"));
    case Reply::ByteLost: // the first digit of word 14
        return QString::fromLatin1(reader.z3Reply().replace("0C58", "C58"));
    }
    return QString::fromLatin1(reader.z3Reply());
}

SettingsTable expectedTable() {
    SettingsTable table{};
    std::copy(kDefaultSettingsWords.begin(), kDefaultSettingsWords.end(), table.begin());
    return table;
}
} // namespace

class VerificationJudgementTest : public QObject {
    Q_OBJECT
private slots:
    void judgesEachKindOfReply_data() {
        QTest::addColumn<Reply>("reply");
        QTest::addColumn<VerificationOutcome>("outcome");
        QTest::addColumn<QStringList>("warnings");
        QTest::addColumn<bool>("online");
        QTest::addColumn<QString>("firmware"); // null: none read
        QTest::addColumn<int>("firstBad");     // the first field that is not hexadecimal
        QTest::newRow("standard reader") << Reply::Standard << VerificationOutcome::SettingsRead
                                         << QStringList{} << true << kFirmware << -1;
        QTest::newRow("words differ") << Reply::TwoWordsDiffer << VerificationOutcome::SettingsRead
                                      << QStringList{kDifferent} << true << kFirmware << -1;
        QTest::newRow("no marker")
            << Reply::NoMarker << VerificationOutcome::NoResponse
            << QStringList{QStringLiteral("No Response from Barcode Reader on COM3")} << false
            << QString() << -1;
        QTest::newRow("identifier cut") << Reply::MarkerOnly << VerificationOutcome::NoSettings
                                        << QStringList{kInvalid} << false << QString() << -1;
        // The status goes "Offline" with the warning and ends "Online".
        QTest::newRow("no settings block") << Reply::NoBlock << VerificationOutcome::NoSettings
                                           << QStringList{kInvalid} << true << kFirmware << -1;
        // The window's messages and values as ever; the details name the damage.
        QTest::newRow("noise in a field") << Reply::Noise << VerificationOutcome::SettingsRead
                                          << QStringList{} << true << kFirmware << 18;
        QTest::newRow("one byte lost") << Reply::ByteLost << VerificationOutcome::SettingsRead
                                       << QStringList{kDifferent} << true << kFirmware << 14;
    }
    void judgesEachKindOfReply() {
        QFETCH(Reply, reply);
        QFETCH(VerificationOutcome, outcome);
        QFETCH(QStringList, warnings);
        QFETCH(bool, online);
        QFETCH(QString, firmware);
        QFETCH(int, firstBad);
        const VerificationJudgement j =
            judgeVerification(replyFor(reply), expectedTable(), kFirmware, 3);
        QCOMPARE(j.outcome, outcome);
        QCOMPARE(j.warnings(), warnings);
        QCOMPARE(j.online(), online);
        QCOMPARE(j.firmware.value_or(QString()), firmware);
        QCOMPARE(j.writesReport(), outcome == VerificationOutcome::SettingsRead);
        QCOMPARE(j.firmwareMatches, firmware == kFirmware);
        for (const VerificationStep& step : j.steps)
            QVERIFY(step.details.isEmpty() || step.text == kDifferent);
        QCOMPARE(j.badFields.isEmpty() ? -1 : j.badFields.first().word, firstBad);
        if (firstBad >= 0 && !warnings.isEmpty())
            QVERIFY(j.steps.constFirst().details.contains(
                QStringLiteral("Word %1 is not four hexadecimal digits: \"").arg(firstBad)));
    }

    void firmwareMustMatchExactly_data() {
        QTest::addColumn<QByteArray>("firmware");
        QTest::newRow("no leading blank") << QByteArray("KWMR5817 ");
        QTest::newRow("lower case") << QByteArray(" kwmr5817");
        QTest::newRow("other version") << QByteArray(" KWMR5818");
    }
    void firmwareMustMatchExactly() {
        QFETCH(QByteArray, firmware);
        ReaderModel reader;
        reader.setFirmware(firmware);
        const VerificationJudgement j =
            judgeVerification(QString::fromLatin1(reader.z3Reply()), expectedTable(), kFirmware, 1);
        const QString shown = QString::fromLatin1(firmware);
        QCOMPARE(j.warnings(), QStringList{QStringLiteral("Firmware version is ") + shown +
                                           QStringLiteral("\rExpecting  KWMR5817")});
        QCOMPARE(j.firmware, std::optional<QString>(shown));
        QVERIFY(j.online() && j.writesReport());
    }

    void listsEachDifferingWord() {
        const VerificationJudgement j =
            judgeVerification(replyFor(Reply::TwoWordsDiffer), expectedTable(), kFirmware, 1);
        const QList<WordDifference> expected = {{5, 0x440D, 0x1234}, {38, 0xFFD7, 0x0000}};
        QCOMPARE(j.differences, expected);
        QCOMPARE(j.settings->at(5), 0x1234);
        // "Show Details..." lists them; the other warnings carry everything in their text.
        QCOMPARE(j.steps[0].details, QStringLiteral("Word 5: expected 440D, read 1234\r"
                                                    "Word 38: expected FFD7, read 0000"));
    }

    void anIncompleteBlockGoesOfflineBeforeTheFirmwareWarning() {
        ReaderModel reader;
        reader.setFirmware(" KWMR5818");
        const VerificationJudgement j =
            judgeVerification(QString::fromLatin1(reader.z3Reply().replace("XSW", "---")),
                              expectedTable(), kFirmware, 1);
        using Kind = VerificationStep::Kind;
        QList<Kind> kinds;
        for (const VerificationStep& step : j.steps)
            kinds << step.kind;
        QCOMPARE(kinds, (QList<Kind>{Kind::Warning, Kind::Status, Kind::Warning, Kind::Status}));
        QVERIFY(!j.steps[1].online && j.steps[3].online);
        QVERIFY(!j.settings && j.differences.isEmpty());
    }
};

QTEST_APPLESS_MAIN(VerificationJudgementTest)
#include "tst_verification_judgement.moc"
