#include "align_pixels.h"

#include "decode/frm_decode.h"
#include "main_window_rig.h"
#include "modal_window.h"
#include "tick_log.h"
#include "ui/colours.h"
#include <QAccessible>

namespace {
const QByteArray kTrigger = frames({"U8"});
const QByteArray kDefaultBatch = frames({"+5", "U4", "D0", "F0", "ST", "-K", "1R"});
constexpr int kLong = 10000; // ms; a loaded machine may be slow, never fast

enum class Closing { Exit, Escape, TitleBar };

// The gauge's colours just above and just below the level `blue` of its height from the bottom
// stands for, in the middle of its width.
QList<QColor> aroundTheLevel(Canvas* gauge, double blue) {
    const qreal level = gauge->heightTwips() * (1 - blue);
    const qreal x = gauge->widthTwips() / 2.0;
    return {align_pixels::shown(gauge, x, qMax(level - 60, 10.0)),
            align_pixels::shown(gauge, x, qMin(level + 60, gauge->heightTwips() - 10.0))};
}
} // namespace

Q_DECLARE_METATYPE(Closing)

class DecodeWindowTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<MainWindowRig> rig;
    frmExec* w = nullptr;

    DecodeReports& reports() { return rig->com1->model().decodeReports(); }

    // Opens the window exactly as "Decode Test" would (the button itself stays disabled) and
    // runs `body` once it is up; the window is closed afterwards if `body` left it open.
    void decoding(const std::function<void(frmDecode&)>& body) {
        frmDecode& d = w->decodeWindow();
        QVERIFY(!w->cmdDecode->isEnabled());
        QVERIFY(whileModal([&] { w->cmdDecode_Click(); }, [&](QWidget*) { body(d); }));
        QVERIFY(!d.isVisible());
        QVERIFY(!w->link().receiver());
        QVERIFY(!d.Timer1->isActive());
    }
    // Marks the ticks that evaluated a report.
    static std::function<bool()> evaluations(const frmDecode& d) {
        return [&d, last = qint16(-1)]() mutable {
            const bool evaluated = last == DecodeScan::Complete;
            last = d.scan.ScanState;
            return evaluated;
        };
    }

private slots:
    void init() {
        rig = std::make_unique<MainWindowRig>();
        w = &rig->loadOnCom1();
    }
    void cleanup() {
        w = nullptr;
        rig.reset();
    }

    void theReadersReportIsShownAsItCame() {
        reports().setPercentage("75");
        reports().setData("<b>0123</b>");
        frmDecode& window = w->decodeWindow();
        TickLog log(window.Timer1, evaluations(window));
        decoding([&](frmDecode& d) {
            // The gauge says its percentage to a screen reader.
            QAccessibleInterface* gauge = QAccessible::queryAccessibleInterface(d.Picture1);
            QVERIFY(gauge && gauge->valueInterface());
            QCOMPARE(gauge->role(), QAccessible::ProgressBar);
            QCOMPARE(gauge->text(QAccessible::Name), QStringLiteral("Decode percentage"));
            QCOMPARE(gauge->text(QAccessible::Description), QStringLiteral("No decode report"));
            QCOMPARE(d.Timer1->interval(), 50);
            QCOMPARE(d.lblBarcode->text(), QStringLiteral("Barcode ID"));
            QCOMPARE(aroundTheLevel(d.Picture1, 0), (QList<QColor>{kWhite, kWhite}));
            QTRY_VERIFY_WITH_TIMEOUT(!log.marked.isEmpty(), kLong);
            QCOMPARE(d.lblBarcode->text(), QStringLiteral("<b>0123</b>"));
            QCOMPARE(gauge->valueInterface()->currentValue().toDouble(), 75.0);
            QCOMPARE(gauge->text(QAccessible::Description), QStringLiteral("75 % decoded"));
            QCOMPARE(d.lblBarcode->textFormat(), Qt::PlainText);
            QCOMPARE(aroundTheLevel(d.Picture1, 0.75), (QList<QColor>{kWhite, kBlue}));
            QCOMPARE(aroundTheLevel(d.Picture1, 0), (QList<QColor>{kBlue, kBlue}));
            QCOMPARE(aroundTheLevel(d.Picture1, 1), (QList<QColor>{kWhite, kWhite}));
        });
    }

    // The scale texts stand whole between the window's left edge and the gauge, and the
    // captions fit their controls (run on scaled displays too).
    void scaleAndCaptionsFit() {
        frmDecode& window = w->decodeWindow();
        TickLog log(window.Timer1, evaluations(window));
        decoding([&](frmDecode& d) {
            QTRY_VERIFY_WITH_TIMEOUT(!log.marked.isEmpty(), kLong);
            const QImage image = d.grab().toImage();
            const qreal ratio = image.devicePixelRatio();
            const QColor paper = d.palette().color(QPalette::Window);
            const QRect gauge = d.Picture1->geometry();
            // The rows of the scale: the gauge's height and half a text line beyond each end.
            const int reach = d.fontMetrics().height();
            const int top = int((gauge.top() - reach) * ratio);
            const int bottom = int((gauge.bottom() + reach) * ratio);
            const auto inked = [&](int x) {
                for (int y = top; y <= bottom; ++y) {
                    if (image.pixelColor(x, y) != paper)
                        return true;
                }
                return false;
            };
            const int gaugeLeft = int(gauge.left() * ratio);
            QVERIFY(!inked(0));
            QVERIFY(!inked(gaugeLeft - 2));
            int inkedColumns = 0;
            for (int x = 0; x < gaugeLeft; ++x)
                inkedColumns += inked(x);
            QVERIFY(inkedColumns > 10);
            // Captions end inside their controls and inside the window.
            for (QWidget* control : QList<QWidget*>{d.Label3, d.lblBarcode, d.cmdQuit}) {
                const QString caption = control->property("text").toString();
                const int width = control->fontMetrics().horizontalAdvance(caption);
                QVERIFY2(width < control->width() && control->x() + width < d.width(),
                         qPrintable(caption));
            }
        });
    }

    void silentReaderIsShownAsSuch() {
        const QString silent = QStringLiteral("Decode - no reports from the reader");
        frmDecode& window = w->decodeWindow();
        TickLog log(window.Timer1, evaluations(window));
        decoding([&](frmDecode& d) {
            QTRY_VERIFY_WITH_TIMEOUT(!log.marked.isEmpty(), kLong);
            QCOMPARE(d.windowTitle(), QStringLiteral("Decode"));
            reports().setRate(0);
            QTRY_COMPARE_WITH_TIMEOUT(d.windowTitle(), silent, kLong);
            QCOMPARE(aroundTheLevel(d.Picture1, 0), (QList<QColor>{kWhite, kWhite}));
            reports().setRate(100);
            QTRY_COMPARE_WITH_TIMEOUT(d.windowTitle(), QStringLiteral("Decode"), kLong);
            // A lost line is told at once, long before a trigger could go unanswered.
            rig->com1->hangUp();
            QTRY_COMPARE_WITH_TIMEOUT(d.windowTitle(), silent, 500);
        });
    }

    void everyWayOfClosingSendsTheDefaultBatchOnce_data() {
        QTest::addColumn<Closing>("closing");
        QTest::newRow("Exit") << Closing::Exit;
        QTest::newRow("Esc") << Closing::Escape;
        QTest::newRow("title bar") << Closing::TitleBar;
    }
    void everyWayOfClosingSendsTheDefaultBatchOnce() {
        QFETCH(Closing, closing);
        decoding([&](frmDecode& d) {
            // Closed once a report has been shown.
            QTRY_VERIFY_WITH_TIMEOUT(d.lblBarcode->text() != QStringLiteral("Barcode ID"), kLong);
            switch (closing) {
            case Closing::Exit:
                QTest::mouseClick(d.cmdQuit, Qt::LeftButton);
                break;
            case Closing::Escape:
                QTest::keyClick(&d, Qt::Key_Escape);
                break;
            case Closing::TitleBar:
                d.close();
                break;
            }
        });
        QCOMPARE(w->decodeWindow().scan.ScanState, qint16(DecodeScan::Idle));
        QCOMPARE(w->decodeWindow().scan.ReportText, QString());
        rig->expectSent(kTrigger + kDefaultBatch); // and no trigger after it
    }
};

QTEST_MAIN(DecodeWindowTest)
#include "tst_decode_window.moc"
