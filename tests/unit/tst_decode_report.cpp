#include "decode/decode_report.h"

#include <QTest>
#include <cmath>
#include <limits>

namespace {
constexpr double kInf = std::numeric_limits<double>::infinity();
const QString kManyDigits(400, QLatin1Char('9'));
const QString kManyZeros(400, QLatin1Char('0'));
} // namespace

class DecodeReportTest : public QObject {
    Q_OBJECT
private slots:
    void percentageIsReadLeniently_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("whole") << QStringLiteral("75") << 75.0;
        QTest::newRow("blanks anywhere") << QStringLiteral(" 7 5 ") << 75.0;
        QTest::newRow("fraction") << QStringLiteral("12.5") << 12.5;
        QTest::newRow("second point ends it") << QStringLiteral("1.2.3") << 1.2;
        QTest::newRow("point first") << QStringLiteral(".5") << 0.5;
        QTest::newRow("signs") << QStringLiteral("-20") << -20.0;
        QTest::newRow("plus") << QStringLiteral("+30") << 30.0;
        QTest::newRow("second sign ends it") << QStringLiteral("1-2") << 1.0;
        QTest::newRow("trailing text") << QStringLiteral("12abc") << 12.0;
        QTest::newRow("no exponent") << QStringLiteral("1e3") << 1.0;
        QTest::newRow("not a number") << QStringLiteral("abc") << 0.0;
        QTest::newRow("empty") << QString() << 0.0;
        QTest::newRow("sign alone") << QStringLiteral("-") << 0.0;
        QTest::newRow("point alone") << QStringLiteral(".") << 0.0;
        QTest::newRow("two signs") << QStringLiteral("--5") << 0.0;
        QTest::newRow("inf") << QStringLiteral("inf") << 0.0;
        QTest::newRow("nan") << QStringLiteral("nan") << 0.0;
        QTest::newRow("huge") << kManyDigits << kInf;
        QTest::newRow("huge negative") << QStringLiteral("-") + kManyDigits << -kInf;
        QTest::newRow("leading zeros") << kManyZeros + QStringLiteral("75") << 75.0;
        QTest::newRow("tiny") << QStringLiteral("0.") + kManyZeros + QStringLiteral("1") << 0.0;
    }
    void percentageIsReadLeniently() {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(lenientNumber(text), value);
    }

    void reportIsCutIntoPercentageAndData_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<double>("percentage");
        QTest::addColumn<QString>("data");
        const auto row = [](const char* name, const char* text, bool readable, double percentage,
                            const char* data) {
            QTest::newRow(name) << QString::fromLatin1(text) << readable << percentage
                                << QString::fromLatin1(data);
        };
        row("example", "Ok:75% 0123456789\r", true, 75, "0123456789");
        row("text before Ok:", "\r\nERR\rOk:40% 4711\r", true, 40, "4711");
        row("any separator", "Ok:40%_4711\r", true, 40, "4711");
        row("not numeric", "Ok:abc% 1234567890\r", true, 0, "1234567890");
        row("two reports", "Ok:25% 111\rOk:90% 222\r", true, 25, "111\rOk:90% 222");
        row("no percentage", "Ok:% 12\r", true, 0, "12");
        row("two after %", "Ok:60% \r", true, 60, "");
        row("one after %", "Ok:60%\r", true, 60, "");
        row("none after %", "Ok:60%", true, 60, "");
        row("% before Ok:", "50% Ok:75% 12\r", false, 0, "");
        row("no Ok:", "75% 12\r", false, 0, "");
        row("Ok: is case-sensitive", "OK:75% 12\r", false, 0, "");
        row("no %", "Ok:75 12\r", false, 0, "");
        row("empty", "", false, 0, "");
    }
    void reportIsCutIntoPercentageAndData() {
        QFETCH(QString, text);
        QFETCH(bool, readable);
        QFETCH(double, percentage);
        QFETCH(QString, data);
        const std::optional<DecodeReport> report = parseDecodeReport(text);
        QCOMPARE(report.has_value(), readable);
        if (!report)
            return;
        QCOMPARE(report->percentage, percentage);
        QCOMPARE(report->data, data);
    }

    void gaugeStaysWithinItself_data() {
        QTest::addColumn<double>("percentage");
        QTest::addColumn<double>("white");
        QTest::newRow("0") << 0.0 << 1.0;
        QTest::newRow("75") << 75.0 << 0.25;
        QTest::newRow("100") << 100.0 << 0.0;
        QTest::newRow("above") << 150.0 << 0.0;
        QTest::newRow("negative") << -20.0 << 1.0;
        QTest::newRow("inf") << kInf << 0.0;
        QTest::newRow("-inf") << -kInf << 1.0;
        QTest::newRow("nan") << std::nan("") << 1.0;
    }
    void gaugeStaysWithinItself() {
        QFETCH(double, percentage);
        QFETCH(double, white);
        QCOMPARE(whiteFraction(percentage), white);
    }
};

QTEST_GUILESS_MAIN(DecodeReportTest)
#include "tst_decode_report.moc"
