#include "align/frm_align.h"
#include "align_pixels.h"
#include "layout_check.h"
#include "link/reader_link.h"
#include "ui/ui_metrics.h"

#include <QAccessible>
#include <QTest>

namespace {
using namespace align_pixels;

const QString kWorkedBody = QStringLiteral("01F4 03E8 3C8C 03E8 03E8 03E8 342E 03E8 1AF6\r");
const QList<int> kWorkedEdges{4000, 4500, 5500, 21000, 22000, 23000, 24000, 37358, 38358, 45260};
} // namespace

class AlignDisplayTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<ReaderLink> link; // never opened: everything sent is dropped
    std::unique_ptr<frmAlign> window;
    bool sideLook = false;

    frmAlign& shownWindow() {
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            qFatal("the alignment window was not exposed");
        return *window;
    }

private slots:
    void init() {
        link = std::make_unique<ReaderLink>(PortMap::explicitOnly());
        sideLook = false;
        window = std::make_unique<frmAlign>(*link, [this] { return sideLook; });
    }
    void cleanup() {
        window.reset();
        link.reset();
    }

    void layoutFollowsTheTable() {
        checkLayout(*window, frmAlign::layout());
        QVERIFY(!window->Timer1->isActive());
    }

    void eachShowingStartsBlankWithTheCrosshair() {
        frmAlign& w = shownWindow();
        QCOMPARE(w.Timer1->interval(), 100);
        QVERIFY(w.Timer1->isActive());
        QCOMPARE(shownNear(w.Picture1, 1566, 200, kBlack), kBlack);
        QCOMPARE(shownNear(w.Picture1, 200, 1566, kBlack), kBlack);
        QCOMPARE(shown(w.Picture1, 1566 + 30, 200), kWhite);
        w.ProcessReport(kWorkedBody);
        QCOMPARE(shown(w.Picture2, 1566, 186), kGreen);

        w.reject(); // Esc
        QVERIFY(!w.Timer1->isActive());
        const float markerX = w.MarkerX;
        const float barX = w.BarX;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(shown(w.Picture2, 1566, 186), kWhite);
        QCOMPARE(shown(w.Picture1, 1566 + 250, 1521), kWhite);
        QCOMPARE(shownNear(w.Picture1, 1566, 200, kBlack), kBlack);
        const QImage profile = w.Picture3->grab().toImage();
        QCOMPARE(profile.pixelColor(profile.width() / 2, profile.height() / 2), kWhite);
        QCOMPARE(profile.pixelColor(profile.width() / 2, profile.height() - 2), kWhite);
        // The display memory outlived the closing.
        QCOMPARE(w.MarkerX, markerX);
        QCOMPARE(w.BarX, barX);
    }

    void workedExampleIsDrawn() {
        frmAlign& w = shownWindow();
        w.ProcessReport(kWorkedBody);
        // Green circle of radius 250 around (1566, 1521.02), drawn 6 pixels wide.
        QCOMPARE(w.MarkerX, 1566.0f);
        QCOMPARE(w.MarkerY, 0.48563853f * 3132);
        QVERIFY(!w.MarkerOutside);
        for (const qreal angle : {0.0, 45.0, 135.0, 180.0, 225.0, 315.0}) {
            const qreal rad = angle * M_PI / 180;
            QCOMPARE(shown(w.Picture1, 1566 + 250 * std::cos(rad), 1521 + 250 * std::sin(rad)),
                     kGreen);
        }
        QCOMPARE(shown(w.Picture1, 1566 + 90, 1521 - 90), kWhite); // inside the ring
        // The ring is 6 window pixels wide and the crosshair 1, in whole device pixels: no
        // colour but the drawn ones anywhere.
        const QImage image = shownImage(w.Picture1);
        const QPoint centre = toPixel(image, w.Picture1, 1566, 1521);
        int ring = 0;
        for (int x = centre.x() + 3; x < image.width(); ++x)
            ring += image.pixelColor(x, centre.y()) == kGreen;
        QVERIFY2(std::abs(ring - 6 * ratio(w.Picture1)) <= 1, qPrintable(QString::number(ring)));
        const int row = toPixel(image, w.Picture1, 0, 300).y();
        int line = 0;
        for (int x = 0; x < image.width(); ++x)
            line += image.pixelColor(x, row) == kBlack;
        QCOMPARE(line, qMax(1, qRound(ratio(w.Picture1))));
        int blurred = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                blurred += c != kWhite && c != kBlack && c != kGreen;
            }
        }
        QCOMPARE(blurred, 0);
        QCOMPARE(shownNear(w.Picture1, 1566, 1521 + 250, kBlack), kBlack);

        // Green bar centred at 1566.44, 100 twips wide.
        QCOMPARE(w.BarX, 0.50013995f * 3132);
        QCOMPARE(shown(w.Picture2, 1566.44, 186), kGreen);
        QCOMPARE(shown(w.Picture2, 1566.44 + 40, 10), kGreen);
        QCOMPARE(shown(w.Picture2, 1566.44 + 90, 186), kWhite);
        QCOMPARE(shown(w.Picture2, 1566.44 - 90, 186), kWhite);

        QCOMPARE(profileMismatch(w.Picture3, kWorkedEdges), QString());

        // With "Side Look" the bar turns red at 2871.44; the green one is gone.
        sideLook = true;
        w.ProcessReport(kWorkedBody);
        QCOMPARE(shown(w.Picture2, 2871.44, 186), kRed);
        QCOMPARE(shown(w.Picture2, 2871.44 + 90, 186), kWhite);
        QCOMPARE(shown(w.Picture2, 1566.44, 186), kWhite);
    }

    // A screen reader hears where the target stands after every report, and that none came.
    void plotDescribesTheLastReport_data() {
        QTest::addColumn<QList<int>>("widths");
        QTest::addColumn<QString>("plot");
        QTest::addColumn<QString>("distance");
        QTest::newRow("worked example")
            << QList<int>{500, 1000, 15500, 1000, 1000, 1000, 13358, 1000, 6902}
            << QStringLiteral("Target inside: across 0.50, along 0.49 (0.50 is centred).")
            << QStringLiteral("Distance inside: 0.50 (0.50 is centred).");
        QTest::newRow("off to one side")
            << QList<int>{500, 1000, 15500, 1400, 1000, 600, 13358, 1000, 6902}
            << QStringLiteral("Target outside: across 0.30, along 0.53 (0.50 is centred).")
            << QStringLiteral("Distance inside: 0.50 (0.50 is centred).");
        QTest::newRow("nothing found") << QList<int>{45000} << QStringLiteral("No target found.")
                                       << QStringLiteral("No distance measured.");
    }
    void plotDescribesTheLastReport() {
        QFETCH(QList<int>, widths);
        QFETCH(QString, plot);
        QFETCH(QString, distance);
        frmAlign& w = shownWindow();
        QAccessibleInterface* target = QAccessible::queryAccessibleInterface(w.Picture1);
        QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(w.Picture2);
        QVERIFY(target && bar);
        QCOMPARE(target->role(), QAccessible::Graphic);
        QCOMPARE(target->text(QAccessible::Name),
                 QStringLiteral("Target across and along the scan"));
        QCOMPARE(target->text(QAccessible::Description),
                 QStringLiteral("No reports from the reader."));
        QStringList words;
        for (const int width : widths)
            words << QString::number(width, 16).toUpper().rightJustified(4, u'0');
        w.ProcessReport(QString(words.join(u' ') + u'\r'));
        QCOMPARE(target->text(QAccessible::Description), plot);
        QCOMPARE(bar->text(QAccessible::Description), distance);
        emit link->lineLost(QStringLiteral("gone")); // no reports any more
        QCOMPARE(target->text(QAccessible::Description),
                 QStringLiteral("No reports from the reader."));
    }

    void markerShapeFollowsTheBand_data() {
        QTest::addColumn<float>("a");
        QTest::addColumn<float>("b");
        QTest::addColumn<bool>("cross");
        QTest::newRow("band edges 0.4, 0.6") << 0.4f << 0.6f << false;
        QTest::newRow("band edges 0.6, 0.4") << 0.6f << 0.4f << false;
        QTest::newRow("b 0.61") << 0.5f << 0.61f << true;
        QTest::newRow("a 0.39") << 0.39f << 0.45f << true;
    }
    void markerShapeFollowsTheBand() {
        QFETCH(float, a);
        QFETCH(float, b);
        QFETCH(bool, cross);
        frmAlign& w = shownWindow();
        w.PlotMarker(a, b);
        const qreal x = a * 3132.0f;
        const qreal y = b * 3132.0f;
        const QColor colour = cross ? kRed : kGreen;
        QCOMPARE(w.MarkerOutside, cross);
        QCOMPARE(shown(w.Picture1, x + 125, y + 125), cross ? colour : kWhite); // a diagonal
        QCOMPARE(shown(w.Picture1, x + 250, y), cross ? kWhite : colour);       // the circle
        QCOMPARE(shown(w.Picture1, x - 250, y), cross ? kWhite : colour);
    }

    // Each marker is painted over in white before the next; nothing found draws none.
    void theNextMarkerErasesTheLast() {
        frmAlign& w = shownWindow();
        w.PlotMarker(1.0f, 1.0f); // a red cross on the bottom-right corner, clipped
        QCOMPARE(shown(w.Picture1, 3132 - 100, 3132 - 100), kRed);
        w.PlotMarker(0.5f, 0.5f);
        QCOMPARE(shown(w.Picture1, 3132 - 100, 3132 - 100), kWhite);
        QCOMPARE(shown(w.Picture1, 1566 + 250, 1566), kGreen);
        w.PlotMarker(0, 0.7f);
        QCOMPARE(shown(w.Picture1, 1566 + 250, 1566), kWhite);
        QCOMPARE(w.MarkerX, 0.0f);
        QCOMPARE(w.MarkerY, 0.7f * 3132);
        QVERIFY(w.MarkerOutside);
        QCOMPARE(shown(w.Picture1, 100, 0.7 * 3132 + 100), kWhite);
    }

    void distanceBar_data() {
        QTest::addColumn<float>("p");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("middle") << 0.5f << kGreen;
        QTest::newRow("band edge 0.4") << 0.4f << kGreen;
        QTest::newRow("band edge 0.6") << 0.6f << kGreen;
        QTest::newRow("0.61") << 0.61f << kRed;
        QTest::newRow("clamped close 0.02") << 0.02f << kRed;
        QTest::newRow("clamped far 0.98") << 0.98f << kRed;
    }
    void distanceBar() {
        QFETCH(float, p);
        QFETCH(QColor, colour);
        frmAlign& w = shownWindow();
        w.PlotDistance(0.3f);
        w.PlotDistance(p);
        const qreal x = p * 3132.0f;
        QCOMPARE(shown(w.Picture2, x, 186), colour);
        QCOMPARE(shown(w.Picture2, x, 360), colour);
        QCOMPARE(shown(w.Picture2, 0.3 * 3132, 186), kWhite);
        w.PlotDistance(-1);
        QCOMPARE(shown(w.Picture2, x, 186), kWhite);
        QCOMPARE(w.BarX, -3132.0f);
    }

    void profileOfOneElementAndOfNone() {
        frmAlign& w = shownWindow();
        EdgeTable E{};
        E[0] = 20000;
        E[1] = 45260;
        w.DrawProfile(E, 1);
        QCOMPARE(profileMismatch(w.Picture3, {20000, 45260}), QString());
        // No field: the profile stays as it was.
        w.ProcessReport(u"0\r");
        QCOMPARE(profileMismatch(w.Picture3, {20000, 45260}), QString());
        QCOMPARE(w.BarX, -3132.0f);
        QVERIFY(w.MarkerOutside);
    }

    // A request without an answer (nothing answers the unopened line here), then a report,
    // then a lost line.
    void silentReaderIsShownAsSuch() {
        const QString silent = QStringLiteral("Align Reader - no reports from the reader");
        frmAlign& w = shownWindow();
        w.ProcessReport(kWorkedBody);
        QTRY_COMPARE(w.windowTitle(), silent);
        QCOMPARE(shown(w.Picture1, 1566 + 250, 1521), kWhite);
        QCOMPARE(shown(w.Picture2, 1566.44, 186), kWhite);

        QTRY_COMPARE(w.cycle.CycleState, qint16(AlignCycle::AwaitingStart));
        w.cycle.receive("\x01");
        w.cycle.receive(kWorkedBody.toLatin1() + "\x02");
        QTRY_COMPARE(w.windowTitle(), QStringLiteral("Align Reader"));
        QCOMPARE(shown(w.Picture2, 1566.44, 186), kGreen);

        emit link->lineLost(QStringLiteral("Input/output error"));
        QCOMPARE(w.windowTitle(), silent);
        QCOMPARE(shown(w.Picture2, 1566.44, 186), kWhite);
        QCOMPARE(shown(w.Picture1, 1566 + 250, 1521), kWhite);
    }
};

QTEST_MAIN(AlignDisplayTest)
#include "tst_align_display.moc"
