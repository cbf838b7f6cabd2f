#include "reader_ops/identification_verdict.h"
#include "reader_ops/symbology_identification.h"

#include <QTest>

namespace {
QString s(const char* text) {
    return QString::fromLatin1(text);
}
// A read the way the set-up makes the reader send it: STX first.
QString stx(const char* rest) {
    return QChar(2) + s(rest);
}
const QString kUnknown = s("The symbology is Unknown\rMSI/Plessy, IATA, Code 93\rDecode: ");
const QString kNotDecoded = s("The Barcode was not decoded");
} // namespace

// Identification: the set-up sequence and the verdict on what was read.
class IdentifyVerdictTest : public QObject {
    Q_OBJECT
private slots:
    void theSetUpIsTheFortyCommandsInOrder() {
        QStringList expected;
        for (const char* code :
             {"S8", "B2", "M4", "Q1", "M5", "1A", "Q2", "M6", "1A", "Q3", "M7", "1A", "Q3", "M9",
              "1A", "Q4", "N1", "1A", "Q5", "M0", "1A", "Q5", "N2", "1A", "Q5", "M1", "1A", "Q5",
              "N3", "1A", "Q6", "M2", "1A", "Q6", "N4", "1A", "Q6", "M3", "1A", "Q6"})
            expected << QLatin1String(code);
        QCOMPARE(identificationCommands(), expected);
    }

    void verdicts_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("message"); // null: no message at all
        const auto family = [](const char* name, const char* data) {
            return s("The symbology is %1\rDecode: %2").arg(s(name), s(data));
        };
        QTest::newRow("Code 39") << stx("1ABC") << family("Code 39", "ABC");
        QTest::newRow("Codabar") << stx("2A1234B") << family("Codabar", "A1234B");
        QTest::newRow("STX and 3 alone") << stx("3") << family("2 of 5", "");
        QTest::newRow("Code 128") << stx("4x") << family("Code 128", "x");
        QTest::newRow("UPC") << stx("5036000291452") << family("UPC", "036000291452");
        QTest::newRow("EAN, data as received, markup and all")
            << stx("6<b>40</b>\xE9\r\n") << family("EAN", "<b>40</b>\xE9\r\n");
        QTest::newRow("digit 7") << stx("7XYZ") << QString();
        QTest::newRow("digit 8") << stx("8") << QString();
        QTest::newRow("digit 9") << stx("9123") << QString();
        QTest::newRow("STX and digit 0") << stx("0Q") << kUnknown + stx("0Q");
        QTest::newRow("STX and a letter: the STX shown too") << stx("A12") << kUnknown + stx("A12");
        QTest::newRow("STX of another script's digit")
            << stx("") + QChar(0x0663) << kUnknown + stx("") + QChar(0x0663);
        QTest::newRow("a digit without STX") << s("1ABC") << kUnknown + s("1ABC");
        QTest::newRow("one letter") << s("A") << kNotDecoded;
        QTest::newRow("STX alone") << stx("") << kNotDecoded;
        QTest::newRow("nothing read") << QString() << kNotDecoded;
    }
    void verdicts() {
        QFETCH(QString, reply);
        QFETCH(QString, message);
        const std::optional<Prompt> verdict = identificationVerdict(reply);
        QCOMPARE(verdict.has_value(), !message.isNull());
        if (!verdict)
            return;
        QCOMPARE(verdict->text, message);
        QCOMPARE(verdict->title, s("Identify Symbology"));
        QCOMPARE(verdict->icon,
                 message == kNotDecoded ? Prompt::Icon::Exclamation : Prompt::Icon::None);
        QCOMPARE(verdict->buttons, Prompt::Buttons::Ok);
    }
};

QTEST_GUILESS_MAIN(IdentifyVerdictTest)
#include "tst_identify_verdict.moc"
