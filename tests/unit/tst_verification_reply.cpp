#include "protocol/settings_words.h"
#include "reader_ops/verification_reply.h"
#include "reply_builder.h"

#include <QTest>
#include <tuple>

namespace {
// Word k is 0xA000 + k: every word differs, none is zero.
SettingsWords distinctWords() {
    SettingsWords words{};
    for (int k = 0; k < kSettingsWordCount; ++k)
        words[k] = quint16(0xA000 + k);
    return words;
}
const SettingsWords kWords = distinctWords();
} // namespace

class VerificationReplyTest : public QObject {
    Q_OBJECT
private slots:
    // The identifier: the ten characters from the sixth after "Ver." (case-sensitive), less
    // the last; fewer at the end of the reply; none at all with two or fewer after the marker.
    void identifierField() {
        const auto parsed = [](const char* reply) {
            const VerificationReply r = parseVerificationReply(QString::fromLatin1(reply));
            return std::tuple(r.hasVersion, r.firmware, r.identifierCut);
        };
        const auto id = [](const char* firmware, bool cut = false) {
            return std::tuple(true, QString::fromLatin1(firmware), cut);
        };
        const auto none = std::tuple(false, QString(), false);
        QCOMPARE(parsed("xxVer.05 KWMR5817\rXSW"), id(" KWMR5817"));
        QCOMPARE(parsed("ver.05 KWMR5817"), none);
        QCOMPARE(parsed("VER.05 KWMR5817"), none);
        QCOMPARE(parsed(""), none);
        QCOMPARE(parsed("Ver.05 KW"), id(" K"));
        QCOMPARE(parsed("Ver.05 "), id(""));
        QCOMPARE(parsed("Ver.05"), id("", true));
        QCOMPARE(parsed("Ver."), id("", true));
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
        const auto reply = parseVerificationReply(z3ReplyWithBlockAt(q, kWords));
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
        const QString text = z3ReplyWithBlockAt(30, kWords);
        QCOMPARE(text.mid(36, 4), QStringLiteral("A000"));
        QCOMPARE(text.mid(41, 4), QStringLiteral("A001"));
        QCOMPARE(text.mid(81, 4), QStringLiteral("A009"));
        QCOMPARE(text.mid(93, 4), QStringLiteral("A00A"));
        QCOMPARE(text.mid(247, 4), QStringLiteral("A026"));
        QCOMPARE(parseVerificationReply(text).words[38], 0xA026);
    }

    void lowerCaseDigitsGiveTheSameWords() {
        const auto upper = parseVerificationReply(z3ReplyWithBlockAt(20, kWords));
        const auto lower = parseVerificationReply(z3ReplyWithBlockAt(20, kWords, 39, true));
        QCOMPARE(lower.block, VerificationReply::Block::Valid);
        QCOMPARE(lower.words, upper.words);
    }

    void blockIsAllOrNothing() {
        // The last character of word 38 missing: nothing of the block counts.
        QString text = QStringLiteral("Ver. 5 KWMR5817\r\n") + settingsBlockAt(1, kWords);
        QCOMPARE(parseVerificationReply(text).block, VerificationReply::Block::Valid);
        text.chop(1);
        QCOMPARE(parseVerificationReply(text).block, VerificationReply::Block::Cut);
        QCOMPARE(parseVerificationReply(z3ReplyWithBlockAt(20, kWords, 12)).block,
                 VerificationReply::Block::Cut);
        QCOMPARE(parseVerificationReply(QStringLiteral("Ver.05 KWMR5817\r")).block,
                 VerificationReply::Block::Missing);
    }

    // A field that is not four hexadecimal digits is named with what arrived in its place, and
    // still converts as far as it goes (the window keeps that value).
    void fieldsThatAreNotHexadecimalAreNamed_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("firstBad");
        QTest::addColumn<int>("bad");
        QTest::addColumn<QString>("firstText");
        const QString good = z3ReplyWithBlockAt(20, kWords);
        const int word3 = 20 + 7 + 15 - 1, word12 = 20 + 74 - 1; // 0-based
        QTest::newRow("lower case is hexadecimal")
            << z3ReplyWithBlockAt(20, kWords, 39, true) << -1 << 0 << QString();
        QTest::newRow("noise in a field") << QString(good).replace(word3, 4, QStringLiteral("1G2 "))
                                          << 3 << 1 << QStringLiteral("1G2 ");
        // Every later field shifts by one: an invalid block, not 27 different words.
        QTest::newRow("one character lost")
            << QString(good).remove(word12, 1) << 12 << 27 << QStringLiteral("00C.");
    }
    void fieldsThatAreNotHexadecimalAreNamed() {
        QFETCH(QString, reply);
        QFETCH(int, firstBad);
        QFETCH(int, bad);
        QFETCH(QString, firstText);
        const auto parsed = parseVerificationReply(reply);
        QCOMPARE(parsed.block, VerificationReply::Block::Valid);
        QCOMPARE(parsed.badFields.size(), bad);
        if (bad == 0)
            return;
        QCOMPARE(parsed.badFields.first(), (VerificationReply::BadField{firstBad, firstText}));
        if (firstBad == 3)
            QCOMPARE(parsed.words[3], 1);
    }
};

QTEST_GUILESS_MAIN(VerificationReplyTest)
#include "tst_verification_reply.moc"
