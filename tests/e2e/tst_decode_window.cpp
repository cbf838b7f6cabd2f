#include "decode/frm_decode.h"
#include "loaded_on_com1.h"
#include "modal_window.h"

#include <QImage>
#include <cmath>

namespace {
const QColor kWhite(255, 255, 255);
const QColor kBlue(0, 0, 255);
const QByteArray kTrigger = frames({"U8"});
const QByteArray kDefaultBatch = frames({"+5", "U4", "D0", "F0", "ST", "-K", "1R"});
constexpr int kLong = 10000; // ms; a loaded machine may be slow, never fast

// Ticks of the window's timer, seen as each tick left the scan: which ones sent a trigger and
// how many evaluated a report. `onTick` runs right after the window's own handler.
struct TickLog {
    int ticks = 0;
    QList<int> triggers;
    int evaluations = 0;
    std::function<void(frmDecode&)> onTick;
    qint16 last = -1;
    QMetaObject::Connection connection;
    void watch(frmDecode& d) {
        connection = QObject::connect(d.Timer1, &QTimer::timeout, &d, [this, &d] {
            ++ticks;
            const DecodeScan& s = d.scan;
            if (last == DecodeScan::Complete)
                ++evaluations;
            else if (s.ScanState == DecodeScan::Armed && s.ScanTickCount == 0)
                triggers << ticks;
            last = s.ScanState;
            if (onTick)
                onTick(d);
        });
    }
    ~TickLog() { QObject::disconnect(connection); }
};

// Empty when the gauge is blue over `blue` of its height from the bottom and white above,
// else the first pixel that is not. Rows next to the boundary are left out.
QString gaugeMismatch(Canvas* gauge, double blue) {
    const QImage image = gauge->grab().toImage();
    const double level = image.height() * (1 - blue);
    for (int row = 0; row < image.height(); ++row) {
        if (std::abs(row + 0.5 - level) < 1.5)
            continue;
        const QColor expected = row < level ? kWhite : kBlue;
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, row) != expected)
                return QStringLiteral("(%1, %2) is %3")
                    .arg(x)
                    .arg(row)
                    .arg(image.pixelColor(x, row).name());
        }
    }
    return {};
}
} // namespace

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
        whileShown(
            d, [&] { w->cmdDecode_Click(); }, [&] { body(d); });
        QVERIFY(!d.isVisible());
        QVERIFY(!w->link().decodeRouting());
        QVERIFY(!d.Timer1->isActive());
    }

private slots:
    void init() {
        rig = std::make_unique<MainWindowRig>();
        w = &loadedOnCom1(*rig);
    }
    void cleanup() {
        w = nullptr;
        rig.reset();
    }

    void triggersAtOpeningThenEvery27TicksWhileSilent() {
        reports().setRate(0);
        TickLog log;
        log.watch(w->decodeWindow());
        decoding([&](frmDecode&) {
            QTRY_VERIFY_WITH_TIMEOUT(log.triggers.size() >= 2, kLong);
            // The opening's trigger went out before any tick: no tick sent one until the
            // first time-out.
            QCOMPARE(log.triggers.mid(0, 2), (QList<int>{27, 54}));
            QTRY_COMPARE(rig->com1->receivedBytes(), kTrigger.repeated(3));
        });
    }

    void reportIsShown_data() {
        QTest::addColumn<QByteArray>("reply"); // null: the simulated reader's own report
        QTest::addColumn<double>("blue");
        QTest::addColumn<QString>("shown");
        QTest::newRow("75% example") << QByteArray() << 0.75 << QStringLiteral("0123456789");
        QTest::newRow("text before Ok:")
            << QByteArray("\r\nERR\rOk:40% 4711\r") << 0.40 << QStringLiteral("4711");
        QTest::newRow("not numeric")
            << QByteArray("Ok:abc% 1234567890\r") << 0.0 << QStringLiteral("1234567890");
        QTest::newRow("two reports in one period")
            << QByteArray("Ok:25% 111\rOk:90% 222\r") << 0.25 << QStringLiteral("111\rOk:90% 222");
        QTest::newRow("huge") << "Ok:" + QByteArray(60, '9') + "% 1\r" << 1.0
                              << QStringLiteral("1");
        QTest::newRow("negative") << QByteArray("Ok:-5% <b>2</b>\r") << 0.0
                                  << QStringLiteral("<b>2</b>");
    }
    void reportIsShown() {
        QFETCH(QByteArray, reply);
        QFETCH(double, blue);
        QFETCH(QString, shown);
        reports().setPercentage("75");
        reports().setData("0123456789");
        if (!reply.isNull())
            rig->com1->model().setScriptedReply("U8", reply);
        TickLog log;
        log.watch(w->decodeWindow());
        decoding([&](frmDecode& d) {
            QCOMPARE(d.lblBarcode->text(), QStringLiteral("Barcode ID"));
            QCOMPARE(gaugeMismatch(d.Picture1, 0), QString());
            QTRY_VERIFY_WITH_TIMEOUT(log.evaluations >= 1, kLong);
            QCOMPARE(d.lblBarcode->text(), shown);
            QCOMPARE(d.lblBarcode->textFormat(), Qt::PlainText);
            QCOMPARE(gaugeMismatch(d.Picture1, blue), QString());
        });
    }

    // The scale texts stand whole between the window's left edge and the gauge, and the
    // captions fit their controls (run on scaled displays too).
    void scaleAndCaptionsFit() {
        TickLog log;
        log.watch(w->decodeWindow());
        decoding([&](frmDecode& d) {
            QTRY_VERIFY_WITH_TIMEOUT(log.evaluations >= 1, kLong);
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
        TickLog log;
        log.watch(w->decodeWindow());
        decoding([&](frmDecode& d) {
            QTRY_VERIFY_WITH_TIMEOUT(log.evaluations >= 1, kLong);
            QCOMPARE(d.windowTitle(), QStringLiteral("Decode"));
            reports().setRate(0);
            QTRY_COMPARE_WITH_TIMEOUT(d.windowTitle(), silent, kLong);
            QCOMPARE(gaugeMismatch(d.Picture1, 0), QString());
            reports().setRate(100);
            QTRY_COMPARE_WITH_TIMEOUT(d.windowTitle(), QStringLiteral("Decode"), kLong);
            // A lost line is told at once, long before a trigger could go unanswered.
            rig->com1->hangUp();
            QTRY_COMPARE_WITH_TIMEOUT(d.windowTitle(), silent, 500);
        });
    }

    void unreadableReportLeavesTheNextOneWorking_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<double>("blue");
        QTest::addColumn<QString>("shown");
        QTest::newRow("% before Ok:")
            << QByteArray("50%Ok:75 9\r") << 0.0 << QStringLiteral("Barcode ID");
        QTest::newRow("one after %") << QByteArray("Ok:60%\r") << 0.6 << QString();
        QTest::newRow("none after %") << QByteArray("Ok:60%") << 0.6 << QString();
    }
    void unreadableReportLeavesTheNextOneWorking() {
        QFETCH(QByteArray, reply);
        QFETCH(double, blue);
        QFETCH(QString, shown);
        rig->com1->model().setScriptedReply("U8", reply);
        TickLog log;
        log.watch(w->decodeWindow());
        decoding([&](frmDecode& d) {
            QTRY_VERIFY_WITH_TIMEOUT(log.evaluations >= 1, kLong);
            QCOMPARE(d.lblBarcode->text(), shown);
            QCOMPARE(gaugeMismatch(d.Picture1, blue), QString());
            rig->com1->model().clearScriptedReplies();
            QTRY_VERIFY_WITH_TIMEOUT(log.evaluations >= 2, kLong);
            QCOMPARE(d.lblBarcode->text(), QStringLiteral("0123456789"));
            QCOMPARE(gaugeMismatch(d.Picture1, 0.75), QString());
        });
    }

    void charactersArrivingWhenCompleteAreThrownAway() {
        rig->com1->model().setScriptedReply("U8", "Ok:80% 5555\r");
        rig->com1->model().setScriptedReply("ZZ", "9"); // any command that draws an answer
        frmDecode& window = w->decodeWindow();
        // What each receive event found and left.
        QList<std::pair<qint16, QString>> received;
        const auto onComm = w->link().decodeReceiver();
        w->link().setDecodeReceiver([&] {
            const qint16 before = window.scan.ScanState;
            onComm();
            received.append({before, window.scan.ReportText});
        });
        TickLog log;
        log.watch(window);
        int answersAsked = 0;
        log.onTick = [&](frmDecode& d) {
            if (d.scan.ScanState == DecodeScan::Complete && answersAsked == 0) {
                // Hold the scan here until the answer is in.
                d.Timer1->stop();
                w->link().SendCommand(QStringLiteral("ZZ"));
                answersAsked = 1;
            } else if (log.evaluations == 1 && answersAsked == 1) {
                w->link().SendCommand(QStringLiteral("ZZ"));
                answersAsked = 2;
            }
        };
        const auto countIn = [&](qint16 state) {
            return std::count_if(received.begin(), received.end(),
                                 [state](const auto& r) { return r.first == state; });
        };
        decoding([&](frmDecode& d) {
            QTRY_VERIFY_WITH_TIMEOUT(countIn(DecodeScan::Complete) == 1, kLong);
            QCOMPARE(received.last().second, QStringLiteral("Ok:80% 5555\r"));
            d.Timer1->start();
            QTRY_VERIFY_WITH_TIMEOUT(log.evaluations == 1, kLong);
            QCOMPARE(d.lblBarcode->text(), QStringLiteral("5555"));
            // The next answer starts a new report alone: the held one was thrown away.
            QTRY_VERIFY_WITH_TIMEOUT(
                answersAsked == 2 && received.last().first == DecodeScan::Armed, kLong);
            QCOMPARE(received.last().second, QStringLiteral("9"));
        });
    }

    void everyWayOfClosingSendsTheDefaultBatchOnce_data() {
        QTest::addColumn<int>("way");
        QTest::newRow("Exit") << 0;
        QTest::newRow("Esc") << 1;
        QTest::newRow("title bar") << 2;
    }
    void everyWayOfClosingSendsTheDefaultBatchOnce() {
        QFETCH(int, way);
        TickLog log;
        log.watch(w->decodeWindow());
        decoding([&](frmDecode& d) {
            QTRY_VERIFY_WITH_TIMEOUT(log.evaluations >= 1, kLong);
            switch (way) {
            case 0:
                QTest::mouseClick(d.cmdQuit, Qt::LeftButton);
                break;
            case 1:
                QTest::keyClick(&d, Qt::Key_Escape);
                break;
            default:
                d.close();
            }
        });
        QCOMPARE(w->decodeWindow().scan.ScanState, qint16(DecodeScan::Idle));
        QCOMPARE(w->decodeWindow().scan.ReportText, QString());
        const QByteArray expected = kTrigger + kDefaultBatch;
        QTRY_COMPARE(rig->com1->receivedBytes(), expected);
        QTest::qWait(400); // eight ticks' time: no trigger may follow
        QCOMPARE(rig->com1->receivedBytes(), expected);
        QCOMPARE(kDefaultBatch.size(), 28);
    }

    void reopeningContinuesTheScanTickCount_data() {
        QTest::addColumn<int>("countAtClose");
        QTest::addColumn<int>("firstTrigger"); // tick of the next opening that triggers
        QTest::newRow("20: five ticks left") << 20 << 7;
        QTest::newRow("26: just timed out") << 26 << 2;
    }
    void reopeningContinuesTheScanTickCount() {
        QFETCH(int, countAtClose);
        QFETCH(int, firstTrigger);
        reports().setRate(0);
        frmDecode& window = w->decodeWindow();
        {
            TickLog log;
            log.watch(window);
            log.onTick = [&](frmDecode& d) {
                if (d.scan.ScanTickCount == countAtClose)
                    d.reject();
            };
            decoding([&](frmDecode& d) { QTRY_VERIFY_WITH_TIMEOUT(!d.isVisible(), kLong); });
        }
        QCOMPARE(window.scan.ScanTickCount, countAtClose);
        TickLog log;
        log.watch(window);
        decoding([&](frmDecode& d) {
            QCOMPARE(d.scan.ReportText, QString());
            QTRY_VERIFY_WITH_TIMEOUT(!log.triggers.isEmpty(), kLong);
        });
        QCOMPARE(log.triggers.first(), firstTrigger);
        QTRY_COMPARE(rig->com1->receivedBytes(),
                     kTrigger + kDefaultBatch + kTrigger + kTrigger + kDefaultBatch);
    }

    void screenshot() {
        const QByteArray target = qgetenv("KSR_DECODE_SCREENSHOT");
        if (target.isEmpty())
            QSKIP("set KSR_DECODE_SCREENSHOT to a PNG path to take one");
        reports().setPercentage("75");
        TickLog log;
        log.watch(w->decodeWindow());
        decoding([&](frmDecode& d) {
            QTRY_VERIFY_WITH_TIMEOUT(log.evaluations >= 1, kLong);
            QVERIFY(d.grab().save(QString::fromLocal8Bit(target)));
        });
    }
};

QTEST_MAIN(DecodeWindowTest)
#include "tst_decode_window.moc"
