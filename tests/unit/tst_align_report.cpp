#include "align/alignment_report.h"

#include <QTest>

namespace {
// A report body as the cycle hands it over: four hex digits and a separator per width, the
// last separator replaced by CR.
QString bodyOf(const QList<int>& widths) {
    QString body;
    for (const int w : widths)
        body += QStringLiteral("%1 ").arg(w, 4, 16, QLatin1Char('0')).toUpper();
    if (!body.isEmpty())
        body.back() = QLatin1Char('\r');
    return body;
}

// The body whose edge table is `edges` (an even count, the last one the scan length).
QString bodyWithEdges(const QList<int>& edges) {
    QList<int> widths;
    for (qsizetype k = 0; k + 1 < edges.size(); ++k)
        widths << edges[k + 1] - edges[k];
    return bodyOf(widths);
}

AlignmentMeasure measureEdges(const QList<int>& edges, bool sideLook = false) {
    return measureReport(bodyWithEdges(edges), sideLook);
}

const QList<int> kWorkedWidths{500, 1000, 15500, 1000, 1000, 1000, 13358, 1000, 6902};

// A centre element starting at `start`, `W` wide, between neighbours `L` and `R`.
struct Centre {
    int start, W, L, R;
    bool found;
};
// A single black element at `start`, `width` wide.
struct Mark {
    int start, width;
    bool startSide, endSide;
};
} // namespace

Q_DECLARE_METATYPE(Centre)
Q_DECLARE_METATYPE(Mark)

class AlignReportTest : public QObject {
    Q_OBJECT
private slots:
    void workedExample() {
        const QString body = bodyOf(kWorkedWidths);
        QCOMPARE(body, QStringLiteral("01F4 03E8 3C8C 03E8 03E8 03E8 342E 03E8 1AF6\r"));
        const AlignmentMeasure m = measureReport(body, false);
        QCOMPARE(m.n, qint16(9));
        const QList<qint32> edges{4000,  4500,  5500,  21000, 22000,
                                  23000, 24000, 37358, 38358, 45260};
        for (int k = 0; k < 201; ++k)
            QCOMPARE(m.E[std::size_t(k)], k < edges.size() ? edges[k] : 0);
        QCOMPARE(m.centreIndex, 4);
        QCOMPARE(m.C, 22500);
        QVERIFY(m.centrePosition == 0.48563853f);
        QVERIFY(m.centrePosition == float(0.5 - 260.0 / 18104.0));
        QVERIFY(m.balance == 0.5f);
        QCOMPARE(m.startMarkIndex, 1);
        QCOMPARE(m.LM, 5000);
        QCOMPARE(m.endMarkIndex, 7);
        QCOMPARE(m.RM, 37858);
        QVERIFY(m.D == 16429.0f);
        QVERIFY(m.distanceFraction == 0.50013995f);
        QVERIFY(measureReport(body, true).distanceFraction == 0.91680658f);
    }

    void fieldCount_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("n");
        // Length, fields: rounded to the nearest, and 101 once above 100.
        const int table[][2] = {{0, 0},     {1, 0},     {2, 0},     {3, 1},  {7, 1},
                                {8, 2},     {12, 2},    {13, 3},    {45, 9}, {500, 100},
                                {502, 100}, {503, 101}, {5000, 101}};
        for (const auto& [length, n] : table)
            QTest::addRow("%d characters", length) << length << n;
    }
    void fieldCount() {
        QFETCH(int, length);
        QFETCH(int, n);
        QCOMPARE(::fieldCount(length), qint16(n));
    }

    void thirteenCharactersReadThreeFields() {
        const AlignmentMeasure m = measureReport(u"01F4 03E8 3C\r", false);
        QCOMPARE(m.n, qint16(3));
        QCOMPARE(m.E[3], 45260);
        QCOMPARE(m.E[2], 45260 - 0x3C); // "3C\r": the digits before the CR
        QCOMPARE(m.E[1], 45260 - 0x3C - 1000);
        QCOMPARE(m.E[0], 45260 - 0x3C - 1000 - 500);
    }

    void evenCountIgnoresTheLastField() {
        const AlignmentMeasure m = measureReport(bodyOf(kWorkedWidths + QList<int>{0x7777}), false);
        QCOMPARE(m.n, qint16(10));
        QCOMPARE(m.E[9], 45260);
        QCOMPARE(m.E[0], 4000);
        QCOMPARE(m.E[10], 0);
        QCOMPARE(m.centreIndex, 4);
    }

    void moreThanAHundredFieldsUseTheFirst101() {
        QList<int> widths(120, 100);
        widths[100] = 0x1000;
        widths[101] = 0x2222; // would shift every edge if it were read
        const AlignmentMeasure m = measureReport(bodyOf(widths), false);
        QCOMPARE(m.n, qint16(101));
        QCOMPARE(m.E[101], 45260);
        QCOMPARE(m.E[100], 45260 - 0x1000);
        QCOMPARE(m.E[0], 45260 - 0x1000 - 100 * 100);
        QCOMPARE(m.E[102], 0);
    }

    void bodiesWithoutAFieldFindNothing() {
        for (const QString& body : {QStringLiteral("\r"), QStringLiteral("0\r")}) {
            const AlignmentMeasure m = measureReport(body, false);
            QCOMPARE(m.n, qint16(0));
            QVERIFY(std::all_of(m.E.begin(), m.E.end(), [](qint32 e) { return e == 0; }));
            QCOMPARE(m.centreIndex, -1);
            QVERIFY(m.balance == 0.0f && m.centrePosition == 0.0f);
            QVERIFY(m.distanceFraction == -1.0f);
        }
    }

    void centreElement_data() {
        QTest::addColumn<Centre>("centre");
        QTest::newRow("typical") << Centre{22000, 1000, 1000, 1000, true};
        QTest::newRow("starts on 0.4") << Centre{18104, 1000, 1000, 1000, false};
        QTest::newRow("just after 0.4") << Centre{18105, 1000, 1000, 1000, true};
        QTest::newRow("just before 0.6") << Centre{27155, 1000, 1000, 1000, true};
        QTest::newRow("starts on 0.6") << Centre{27156, 1000, 1000, 1000, false};
        QTest::newRow("width 724") << Centre{22000, 724, 1000, 1000, false};
        QTest::newRow("width 725") << Centre{22000, 725, 1000, 1000, true};
        QTest::newRow("width 1267") << Centre{22000, 1267, 1000, 1000, true};
        QTest::newRow("width 1268") << Centre{22000, 1268, 1000, 1000, false};
        QTest::newRow("neighbours 1629") << Centre{22000, 1000, 800, 829, false};
        QTest::newRow("neighbours 1630") << Centre{22000, 1000, 800, 830, true};
        QTest::newRow("neighbours 3303") << Centre{22000, 1000, 1303, 2000, true};
        QTest::newRow("neighbours 3304") << Centre{22000, 1000, 1304, 2000, false};
    }
    void centreElement() {
        QFETCH(Centre, centre);
        const auto [start, W, L, R, found] = centre;
        const AlignmentMeasure m =
            measureEdges({1000, start - L, start, start + W, start + W + R, 45260});
        QCOMPARE(m.centreIndex, found ? 2 : -1);
        if (found)
            QVERIFY(m.balance == float(double(R) / (L + R)));
        else
            QVERIFY(m.balance == 0.0f && m.centrePosition == 0.0f);
    }

    void centreCandidateOrder_data() {
        QTest::addColumn<QList<int>>("edges");
        QTest::addColumn<int>("centre");
        QTest::newRow("two candidates: the lower index")
            << QList<int>{1000, 19000, 20000, 21000, 22000, 23000, 24000, 45260} << 2;
        QTest::newRow("first edge in the middle: skipped, the next taken")
            << QList<int>{20000, 21000, 22000, 23000, 24000, 45260} << 2;
        QTest::newRow("first edge in the middle, nothing else")
            << QList<int>{20000, 21000, 45260, 45260} << -1;
    }
    void centreCandidateOrder() {
        QFETCH(QList<int>, edges);
        QFETCH(int, centre);
        QCOMPARE(measureEdges(edges).centreIndex, centre);
    }

    void sideMark_data() {
        QTest::addColumn<Mark>("mark");
        QTest::newRow("start side, before 0.32") << Mark{14483, 1000, true, false};
        QTest::newRow("start side, past 0.32") << Mark{14484, 1000, false, false};
        QTest::newRow("end side, on 0.64") << Mark{28966, 1000, false, false};
        QTest::newRow("end side, after 0.64") << Mark{28967, 1000, false, true};
        QTest::newRow("width 633") << Mark{5000, 633, false, false};
        QTest::newRow("width 634") << Mark{5000, 634, true, false};
        QTest::newRow("width 1267") << Mark{40000, 1267, false, true};
        QTest::newRow("width 1268") << Mark{40000, 1268, false, false};
    }
    void sideMark() {
        QFETCH(Mark, mark);
        const AlignmentMeasure m = measureEdges({1000, mark.start, mark.start + mark.width, 45260});
        QCOMPARE(m.startMarkIndex, mark.startSide ? 1 : -1);
        QCOMPARE(m.endMarkIndex, mark.endSide ? 1 : -1);
    }

    void markCandidatesTakeTheLowestIndex() {
        const AlignmentMeasure m =
            measureEdges({1000, 2000, 3000, 5000, 6000, 30000, 31000, 40000, 41000, 45260});
        QCOMPARE(m.startMarkIndex, 1); // nearest the start of the scan
        QCOMPARE(m.endMarkIndex, 5);   // nearest the middle
        QCOMPARE(m.LM, 2500);
        QCOMPARE(m.RM, 30500);
    }

    void middlesRoundHalvesToEven() {
        // Centre 20000..21001 and start mark 3001..4002: both middles end in .5.
        const AlignmentMeasure m =
            measureEdges({1000, 3001, 4002, 19000, 20000, 21001, 22000, 45260});
        QCOMPARE(m.C, 20500);
        QCOMPARE(m.LM, 3502);
        QVERIFY(m.D == 16998.0f); // C - LM
    }

    void spacing_data() {
        QTest::addColumn<QList<int>>("edges");
        QTest::addColumn<float>("D");
        // Marks at 5000..6000 and 38000..39000, centre 22000..23000.
        QTest::newRow("both marks: half their distance")
            << QList<int>{1000, 5000, 6000, 21000, 22000, 23000, 24000, 38000, 39000, 45260}
            << 16500.0f;
        QTest::newRow("start mark and centre: not halved")
            << QList<int>{1000, 5000, 6000, 21000, 22000, 23000, 24000, 45260} << 17000.0f;
        QTest::newRow("end mark and centre, no start mark")
            << QList<int>{1000, 21000, 22000, 23000, 24000, 38000, 39000, 45260} << 0.0f;
        QTest::newRow("start mark alone") << QList<int>{1000, 5000, 6000, 45260} << 0.0f;
        QTest::newRow("nothing") << QList<int>{1000, 45260} << 0.0f;
    }
    void spacing() {
        QFETCH(QList<int>, edges);
        QFETCH(float, D);
        const AlignmentMeasure m = measureEdges(edges);
        QVERIFY2(m.D == D, qPrintable(QString::number(double(m.D))));
        QVERIFY(D == 0.0f ? m.distanceFraction == -1.0f : m.distanceFraction > 0.0f);
    }

    void distanceFraction_data() {
        QTest::addColumn<int>("markStart"); // start mark, 1000 wide; centre at 22000..23000
        QTest::addColumn<bool>("sideLook");
        QTest::addColumn<float>("fraction");
        const auto f = [](double K, double D) {
            return float(double(float((K - D) / 2715.6)) + 0.5);
        };
        QTest::newRow("unchecked") << 5500 << false << f(16429.38, 17000 - 500);
        QTest::newRow("checked") << 5500 << true << f(17560.88, 17000 - 500);
        QTest::newRow("too close: 0.02") << 1000 << false << 0.02f;
        QTest::newRow("too far: 0.98") << 10000 << false << 0.98f;
    }
    void distanceFraction() {
        QFETCH(int, markStart);
        QFETCH(bool, sideLook);
        QFETCH(float, fraction);
        const AlignmentMeasure m = measureEdges(
            {500, markStart, markStart + 1000, 21000, 22000, 23000, 24000, 45260}, sideLook);
        QVERIFY2(m.distanceFraction == fraction, qPrintable(QString::number(m.distanceFraction)));
    }

    void centrePositionIsClampedToOne() {
        // (27000 + 28000 - 45260) / 18104 + 0.5 is above 1.
        const AlignmentMeasure m = measureEdges({1000, 26000, 27000, 28000, 29000, 45260});
        QCOMPARE(m.centreIndex, 2);
        QVERIFY(m.centrePosition == 1.0f);
    }
};

QTEST_APPLESS_MAIN(AlignReportTest)
#include "tst_align_report.moc"
