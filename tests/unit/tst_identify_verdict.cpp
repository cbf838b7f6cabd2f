#include "reader_ops/identification_verdict.h"
#include "reader_ops/symbology_identification.h"

#include <QTest>

namespace {
QString s(const char* text) {
    return QString::fromLatin1(text);
}
const QString kUnknown = s("The symbology is Unknown\rMSI/Plessy, IATA, Code 93\rDecode: ");
const QString kNotDecoded = s("The Barcode was not decoded");
} // namespace

// Identification: the set-up sequence and the verdict on what was read. The end-to-end test
// covers the edge cases through the reader.
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
        QTest::newRow("Codabar") << s("\x02"
                                      "2A1234B")
                                 << s("The symbology is Codabar\rDecode: A1234B");
        QTest::newRow("Code 128") << s("\x02"
                                       "4x")
                                  << s("The symbology is Code 128\rDecode: x");
        QTest::newRow("UPC") << s("\x02"
                                  "5036000291452")
                             << s("The symbology is UPC\rDecode: 036000291452");
        QTest::newRow("digit 8") << s("\x02"
                                      "8")
                                 << QString();
        QTest::newRow("digit 9") << s("\x02"
                                      "9123")
                                 << QString();
        QTest::newRow("STX and digit 0") << s("\x02"
                                              "0Q")
                                         << kUnknown + s("\x02"
                                                         "0Q");
        QTest::newRow("a digit without STX") << s("1ABC") << kUnknown + s("1ABC");
        QTest::newRow("STX of another script's digit")
            << s("\x02") + QChar(0x0663) << kUnknown + s("\x02") + QChar(0x0663);
        QTest::newRow("one letter") << s("A") << kNotDecoded;
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
