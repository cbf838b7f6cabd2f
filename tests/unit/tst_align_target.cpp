#include "align/alignment_report.h"
#include "simulator/alignment_target.h"
#include "simulator/reader_model.h"

#include <QTest>

namespace {
// The body the window would keep of this report: between the markers, last character CR.
QString bodyOf(const QByteArray& report) {
    const qsizetype start = report.indexOf('\x01');
    const qsizetype end = report.indexOf('\x02');
    QString body = QString::fromLatin1(report.mid(start + 1, end - start - 2));
    return body + QLatin1Char('\r');
}

// Where the target stands, and what surrounds it.
struct Placement {
    double position, tilt, distance;
    int clutter, noise;
};
} // namespace

Q_DECLARE_METATYPE(Placement)

class AlignTargetTest : public QObject {
    Q_OBJECT
private slots:
    void answersDZWithAFramedReport() {
        ReaderModel model;
        const QList<QByteArray> replies = model.receive("\x1b"
                                                        "DZ\r\x1bW0\r\x1bP6\r");
        QCOMPARE(replies.size(), 1);
        QCOMPARE(replies.first(), model.alignmentTarget().report());
        QCOMPARE(model.receivedCodes(), (QList<QByteArray>{"DZ", "W0", "P6"}));
        const QByteArray& report = replies.first();
        QVERIFY(report.startsWith('\x01'));
        QVERIFY(report.endsWith('\x02'));
        QCOMPARE((report.size() - 2) % 5, 0);
    }

    void measuresAsModelled_data() {
        QTest::addColumn<Placement>("placement");
        QTest::newRow("level in the middle") << Placement{22630, 0, 1, 0, 0};
        QTest::newRow("tilted and high") << Placement{20500, 0.3, 1, 0, 0};
        QTest::newRow("tilted the other way, low") << Placement{24500, -0.25, 1, 0, 0};
        QTest::newRow("farther") << Placement{22630, 0, 1.05, 0, 0};
        QTest::newRow("nearer") << Placement{22630, 0, 0.97, 0, 0};
        QTest::newRow("among 46 bars: 101 fields") << Placement{21500, 0.1, 1.02, 46, 0};
        QTest::newRow("noisy among bars") << Placement{23000, -0.1, 0.99, 20, 15};
    }
    void measuresAsModelled() {
        QFETCH(Placement, placement);
        const auto [position, tilt, distance, clutter, noise] = placement;
        AlignmentTarget target;
        target.setPosition(position);
        target.setTilt(tilt);
        target.setDistance(distance);
        target.setClutterBars(clutter);
        target.setNoise(noise);
        QCOMPARE(target.widths().size(), 2 * (4 + clutter) + 1);
        const AlignmentMeasure m = measureReport(bodyOf(target.report()), false);
        QCOMPARE(m.n, qint16(2 * (4 + clutter) + 1));
        QVERIFY(m.centreIndex > 0 && m.startMarkIndex > 0 && m.endMarkIndex > 0);
        const double tolerance = 0.005 + noise / 1000.0;
        QVERIFY2(std::abs(m.balance - (1 + tilt) / 2) < tolerance,
                 qPrintable(QString::number(m.balance)));
        QVERIFY(std::abs(m.centrePosition - ((2 * position - 45260) / 18104 + 0.5)) < tolerance);
        const double spacing = kReferenceSpacing / distance;
        const double f = qBound(0.0, (16429.38 - spacing) / 2715.6 + 0.5, 1.0);
        QVERIFY2(std::abs(m.distanceFraction - f) < tolerance + 0.02,
                 qPrintable(QString::number(m.distanceFraction)));
    }
};

QTEST_APPLESS_MAIN(AlignTargetTest)
#include "tst_align_target.moc"
