#include "protocol/settings_words.h"
#include "reader_ops/settings_report.h"
#include "reader_ops/verification_reply.h"

#include <QTest>

namespace {
// A reply with "XSW" at 1-based position q, holding `count` words: word k is 0xA000 + k,
// written at exactly the positions the reader uses; every other character is a dot. The
// firmware line follows the block, so that q can be small.
QString replyWithBlockAt(int q, int count = 39, bool lowerCase = false) {
    QString text = QString(q - 1, QChar(u'.')) + QStringLiteral("XSW");
    for (int k = 0; k < count; ++k) {
        const int position = q + 7 + 5 * k + 7 * (k / 10); // 1-based
        text = text.leftJustified(position - 1, QChar(u'.'));
        const QString field = QStringLiteral("%1").arg(0xA000 + k, 4, 16, QChar(u'0'));
        text += lowerCase ? field.toLower() : field.toUpper();
    }
    return text;
}

QString withFirmwareLine(const QString& text) {
    return text + QStringLiteral("\r\nVer. 5 KWMR5817\r\n");
}
} // namespace

class VerificationReplyTest : public QObject {
    Q_OBJECT
private slots:
    void identifierIsNineCharactersAfterTheMarker() {
        const auto reply = parseVerificationReply(QStringLiteral("xxVer.05 KWMR5817\rXSW"));
        QVERIFY(reply.hasVersion);
        QCOMPARE(reply.firmware, QStringLiteral(" KWMR5817"));
    }

    void markerIsCaseSensitive() {
        QVERIFY(!parseVerificationReply(QStringLiteral("ver.05 KWMR5817")).hasVersion);
        QVERIFY(!parseVerificationReply(QStringLiteral("VER.05 KWMR5817")).hasVersion);
        QVERIFY(!parseVerificationReply(QString()).hasVersion);
    }

    void shortIdentifierFields() {
        // Fewer than ten characters: the field runs to the end, less its last character.
        QCOMPARE(parseVerificationReply(QStringLiteral("Ver.05 KW")).firmware,
                 QStringLiteral(" K"));
        QCOMPARE(parseVerificationReply(QStringLiteral("Ver.05 ")).firmware, QString());
        QVERIFY(!parseVerificationReply(QStringLiteral("Ver.05 ")).identifierCut);
        // Two characters or fewer after the marker: no identifier field at all.
        QVERIFY(parseVerificationReply(QStringLiteral("Ver.05")).identifierCut);
        QVERIFY(parseVerificationReply(QStringLiteral("Ver.")).identifierCut);
    }

    void blockPositionRule_data() {
        QTest::addColumn<int>("q");
        QTest::addColumn<bool>("valid");
        QTest::newRow("at 9 counts as missing") << 9 << false;
        QTest::newRow("at 10 is read") << 10 << true;
        QTest::newRow("at 30") << 30 << true;
    }
    void blockPositionRule() {
        QFETCH(int, q);
        QFETCH(bool, valid);
        const auto reply = parseVerificationReply(withFirmwareLine(replyWithBlockAt(q)));
        QVERIFY(reply.hasVersion);
        QCOMPARE(reply.block == VerificationReply::Block::Valid, valid);
        if (!valid) {
            QCOMPARE(reply.block, VerificationReply::Block::Missing);
            return;
        }
        for (int k = 0; k < 39; ++k)
            QCOMPARE(reply.words[k], 0xA000 + k);
    }

    void fieldsAtPosition30() {
        // Word 0 at 37-40, 1 at 42-45, 9 at 82-85, 10 at 94-97, 38 at 248-251.
        const QString text = replyWithBlockAt(30);
        QCOMPARE(text.mid(36, 4), QStringLiteral("A000"));
        QCOMPARE(text.mid(41, 4), QStringLiteral("A001"));
        QCOMPARE(text.mid(81, 4), QStringLiteral("A009"));
        QCOMPARE(text.mid(93, 4), QStringLiteral("A00A"));
        QCOMPARE(text.mid(247, 4), QStringLiteral("A026"));
        QCOMPARE(parseVerificationReply(withFirmwareLine(text)).words[38], 0xA026);
    }

    void lowerCaseDigitsGiveTheSameWords() {
        const auto upper = parseVerificationReply(withFirmwareLine(replyWithBlockAt(20)));
        const auto lower = parseVerificationReply(withFirmwareLine(replyWithBlockAt(20, 39, true)));
        QCOMPARE(lower.block, VerificationReply::Block::Valid);
        QCOMPARE(lower.words, upper.words);
    }

    void blockIsAllOrNothing() {
        // The last character of word 38 missing: nothing of the block counts.
        QString text = QStringLiteral("Ver. 5 KWMR5817\r\n") + replyWithBlockAt(1);
        QCOMPARE(parseVerificationReply(text).block, VerificationReply::Block::Valid);
        text.chop(1);
        QCOMPARE(parseVerificationReply(text).block, VerificationReply::Block::Cut);
        QCOMPARE(parseVerificationReply(withFirmwareLine(replyWithBlockAt(20, 12))).block,
                 VerificationReply::Block::Cut);
        QCOMPARE(parseVerificationReply(QStringLiteral("Ver.05 KWMR5817\r")).block,
                 VerificationReply::Block::Missing);
    }

    void nonHexCharactersInsideABlockConvertAsFarAsTheyGo() {
        QString text = replyWithBlockAt(20);
        const int word3 = 20 + 7 + 15 - 1; // 0-based
        text.replace(word3, 4, QStringLiteral("1G2 "));
        const auto reply = parseVerificationReply(withFirmwareLine(text));
        QCOMPARE(reply.block, VerificationReply::Block::Valid);
        QCOMPARE(reply.words[3], 1);
    }

    void reportIsUpperHexWithoutLeadingZeros() {
        SettingsTable table{};
        for (int k = 0; k < 39; ++k)
            table[k] = kDefaultSettingsWords[k];
        const QByteArray text = settingsReportText(table);
        const QList<QByteArray> lines = text.split('\n');
        QCOMPARE(lines.size(), 40); // 39 lines, each ended by CR LF
        QVERIFY(lines.last().isEmpty());
        QCOMPARE(lines[0], QByteArray("474A\r"));
        QCOMPARE(lines[8], QByteArray("19\r"));
        QCOMPARE(lines[18], QByteArray("0\r"));
        QCOMPARE(lines[24], QByteArray("33F\r"));
        QCOMPARE(lines[38], QByteArray("FFD7\r"));
        QVERIFY(!text.contains("\n\n"));
        QCOMPARE(text.count("\r\n"), 39);
    }
};

QTEST_GUILESS_MAIN(VerificationReplyTest)
#include "tst_verification_reply.moc"
