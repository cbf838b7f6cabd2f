#include "align/frm_align.h"
#include "align_pixels.h"
#include "main_window_rig.h"
#include "modal_window.h"
#include "tick_log.h"

#include <QRegularExpression>

namespace {
using namespace align_pixels;

constexpr int kLong = 10000; // ms; a loaded machine may be slow, never fast
// Longer than two of the window's 100 ms ticks: time for a request that should not come.
constexpr int kQuietMs = 250;

enum class Closing { Exit, Escape, TitleBar, MainWindow };

// Marks the ticks that sent a request.
bool requested(const frmAlign& a) {
    return a.cycle.CycleState == AlignCycle::AwaitingStart && a.cycle.TickCount == 0;
}
} // namespace

Q_DECLARE_METATYPE(Closing)

class AlignWindowTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<MainWindowRig> rig;
    frmExec* w = nullptr;

    QList<QByteArray> codes() const { return rig->com1->receivedCodes(); }

    // Presses "Align" and runs `body` once the window is up.
    void aligning(const std::function<void(frmAlign&)>& body) {
        frmAlign& a = w->alignWindow();
        QVERIFY(whileModal([&] { QTest::mouseClick(w->cmdAlign, Qt::LeftButton); },
                           [&](QWidget*) { body(a); }));
        QVERIFY(!a.isVisible());
        QVERIFY(!w->link().receiver());
        QVERIFY(!a.Timer1->isActive());
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

    void loadReportsAndExitSendExactlyTheirCommands() {
        aligning([&](frmAlign& a) {
            QCOMPARE(a.Timer1->interval(), 100);
            QTRY_VERIFY_WITH_TIMEOUT(codes().count("P6") >= 3, kLong);
            // The simulated target stands level in the middle at the reference distance.
            const qreal d = 250 / std::sqrt(2.0);
            QTRY_COMPARE(shown(a.Picture1, 1566 + d, 1566 + d), kGreen);
            QCOMPARE(shown(a.Picture1, 1566 - d, 1566 - d), kGreen);
            QCOMPARE(shown(a.Picture2, 1566, 186), kGreen);
            QTest::mouseClick(a.cmdQuit, Qt::LeftButton);
        });
        QTRY_COMPARE(codes().mid(codes().size() - 2), (QList<QByteArray>{"+5", "W2"}));
        // Every answered request is followed by "P6"; Exit may cut the last one short.
        QStringList sent;
        for (const QByteArray& code : codes())
            sent << QString::fromLatin1(code);
        QVERIFY2(QRegularExpression(QStringLiteral("^W0 \\.Z D7 (DZ P6 )+(DZ )?\\+5 W2$"))
                     .match(sent.join(u' '))
                     .hasMatch(),
                 qPrintable(sent.join(u' ')));
        QCOMPARE(rig->com1->receivedBytes(), frames(sent));
    }

    void reopeningWhileAReportIsAwaited() {
        rig->com1->setSilent(true);
        int waitedAtClose = -1;
        aligning([&](frmAlign& a) {
            QTRY_VERIFY_WITH_TIMEOUT(
                a.cycle.CycleState == AlignCycle::AwaitingStart && a.cycle.TickCount == 2, kLong);
            waitedAtClose = a.cycle.TickCount;
            QTest::keyClick(&a, Qt::Key_Escape);
        });
        QCOMPARE(waitedAtClose, 2);
        QTest::qWait(kQuietMs); // nothing may go out while the window is closed
        QCOMPARE(codes(), (QList<QByteArray>{"W0", ".Z", "D7", "DZ"}));

        frmAlign& a = w->alignWindow();
        TickLog log(a.Timer1, [&] { return requested(a); });
        aligning([&](frmAlign&) {
            QCOMPARE(a.cycle.CycleState, qint16(AlignCycle::AwaitingStart));
            QTRY_VERIFY_WITH_TIMEOUT(!log.marked.isEmpty(), kLong);
        });
        // The old wait runs out first: its remaining ticks, then the request.
        QCOMPARE(log.marked.value(0), 7 - waitedAtClose);
        QTRY_COMPARE(codes(), (QList<QByteArray>{"W0", ".Z", "D7", "DZ", "W0", ".Z", "D7", "DZ"}));
    }

    void everyWayOfClosingStopsTheCycle_data() {
        QTest::addColumn<Closing>("closing");
        QTest::newRow("Exit") << Closing::Exit;
        QTest::newRow("Esc") << Closing::Escape;
        QTest::newRow("title bar") << Closing::TitleBar;
        QTest::newRow("main window") << Closing::MainWindow;
    }
    void everyWayOfClosingStopsTheCycle() {
        QFETCH(Closing, closing);
        aligning([&](frmAlign& a) {
            QTRY_VERIFY_WITH_TIMEOUT(codes().count("DZ") >= 1, kLong);
            switch (closing) {
            case Closing::Exit:
                QTest::mouseClick(a.cmdQuit, Qt::LeftButton);
                break;
            case Closing::Escape:
                QTest::keyClick(&a, Qt::Key_Escape);
                break;
            case Closing::TitleBar:
                a.close();
                break;
            case Closing::MainWindow:
                w->closeAlignWindow();
                break;
            }
        });
        const bool exit = closing == Closing::Exit;
        if (exit)
            QTRY_COMPARE(codes().mid(codes().size() - 2), (QList<QByteArray>{"+5", "W2"}));
        const QByteArray atClose = rig->com1->receivedBytes();
        rig->expectSent(atClose, kQuietMs); // no request may follow
        QCOMPARE(codes().contains("+5"), exit);
        QCOMPARE(codes().contains("W2"), exit);
    }

    void sideLookIsReadAtEveryReport() {
        aligning([&](frmAlign& a) {
            QTRY_COMPARE_WITH_TIMEOUT(shown(a.Picture2, 1566.44, 186), kGreen, kLong);
            w->chkSide->setCheckState(Qt::PartiallyChecked); // grey counts as checked
            QTRY_COMPARE_WITH_TIMEOUT(shown(a.Picture2, 2871.44, 186), kRed, kLong);
            QCOMPARE(shown(a.Picture2, 1566.44, 186), kWhite);
            w->chkSide->setCheckState(Qt::Unchecked);
            QTRY_COMPARE_WITH_TIMEOUT(shown(a.Picture2, 1566.44, 186), kGreen, kLong);
        });
    }
};

QTEST_MAIN(AlignWindowTest)
#include "tst_align_window.moc"
