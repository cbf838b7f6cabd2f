#include "align/frm_align.h"
#include "decode/frm_decode.h"
#include "layout_check.h"
#include "main_window_rig.h"
#include "modal_window.h"
#include "symbols/frm_symbols.h"
#include "ui/colours.h"
#include "ui/message_box_prompter.h"

#include <QAccessible>
#include <QMessageBox>
#include <QRegularExpression>

namespace {
enum class Button { Align, DecodeTest, Setup };
} // namespace

Q_DECLARE_METATYPE(Button)

class MainWindowTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<MainWindowRig> rig;

private slots:
    void init() { rig = std::make_unique<MainWindowRig>(); }
    void cleanup() { rig.reset(); }

    void controlsFollowTheLayoutTable() {
        frmExec& w = rig->makeWithCom1AndCom3();
        checkLayout(w, frmExec::layout());
        QCOMPARE(w.cmdSymbols->accessibleName(),
                 QStringLiteral("    Symbology               Identifier"));
        QVERIFY(!w.cmdDecode->isEnabled());
        QVERIFY(!w.chkSide->isChecked());
        QCOMPARE(background(w.lblCOMM), kRed);
        QCOMPARE(foreground(w.lblCOMM), kWhite);
        // Every port name fits the list too.
        QVERIFY2(QFontMetrics(w.cboComPorts->font()).horizontalAdvance(QStringLiteral("COM16")) <
                     w.cboComPorts->width() - 24,
                 "COM16 is clipped");

        w.Form_Load();
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        checkTabChain(w, frmExec::layout());
    }

    // A screen reader can say every button of every window, the ones without words too.
    void everyButtonHasAName() {
        frmExec& w = rig->makeWithCom1AndCom3();
        w.Form_Load();
        frmSymbols& symbols = w.symbolsWindow();
        QVERIFY(symbols.Form_Load());
        const QRegularExpression word(QStringLiteral("\\w"));
        for (QWidget* window :
             QList<QWidget*>{&w, &w.alignWindow(), &w.decodeWindow(), &symbols, &w.lineWindow()}) {
            for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
                QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(button);
                QVERIFY(spoken);
                QVERIFY2(spoken->text(QAccessible::Name).contains(word),
                         qPrintable(button->objectName()));
            }
        }
        QAccessibleInterface* ports = QAccessible::queryAccessibleInterface(w.cmdPorts);
        QCOMPARE(ports->role(), QAccessible::Button);
        QCOMPARE(ports->text(QAccessible::Name), QStringLiteral("Ports"));
    }

    void loadListsExistingPortsVerifiesCom1AndChoosingVerifiesAgain() {
        frmExec& w = rig->makeWithCom1AndCom3();
        w.Form_Load();
        QCOMPARE(w.cboComPorts->count(), 2);
        QCOMPARE(w.cboComPorts->itemText(0), QStringLiteral("COM1"));
        QCOMPARE(w.cboComPorts->itemText(1), QStringLiteral("COM3"));
        QCOMPARE(w.portTable()[0], qint16(1));
        QCOMPARE(w.portTable()[1], qint16(3));
        QCOMPARE(w.portTable()[2], qint16(0));
        QCOMPARE(w.cboComPorts->currentIndex(), 0);
        QVERIFY(w.link().ticking());
        QCOMPARE(w.link().tickInterval(), 50);
        QCOMPARE(rig->com1->receivedBytes(), frames({"Z3"}));
        QVERIFY(rig->com3->receivedBytes().isEmpty());
        QVERIFY(w.link().isOpen());
        QCOMPARE(w.lblCOMM->text(), QStringLiteral("Online"));
        QCOMPARE(w.state().DefaultSettings[0], 18250);
        QCOMPARE(w.state().DefaultSettings[38], 65495);
        QCOMPARE(w.state().DefaultSettings[39], 0);

        // Choosing a port verifies the reader there.
        rig->com1->clearReceived();
        w.cboComPorts->setCurrentIndex(1);
        emit w.cboComPorts->activated(1);
        QCOMPARE(w.link().currentPort(), qint16(3));
        QCOMPARE(rig->com3->receivedBytes(), frames({"Z3"}));
        QVERIFY(rig->com1->receivedBytes().isEmpty());
        QCOMPARE(w.lblCOMM->text(), QStringLiteral("Online"));

        // Choosing the selected row again verifies anew, as a double-click does.
        emit w.cboComPorts->activated(1);
        QCOMPARE(rig->com3->receivedBytes(), frames({"Z3", "Z3"}));
        QVERIFY(rig->prompter.shown.isEmpty());
    }

    void withoutCom1NothingIsSelectedOrOpened() {
        frmExec& w = rig->make(portsFor({{2, rig->com1->devicePath()}}));
        w.Form_Load();
        QCOMPARE(w.cboComPorts->count(), 1);
        QCOMPARE(w.cboComPorts->itemText(0), QStringLiteral("COM2"));
        QCOMPARE(w.cboComPorts->currentIndex(), -1);
        QVERIFY(!w.link().isOpen());
        QVERIFY(rig->com1->receivedBytes().isEmpty());
        QCOMPARE(w.lblCOMM->text(), QStringLiteral("Offline"));
        QCOMPARE(background(w.lblCOMM), kRed);
        QVERIFY(w.lblFWVersion->text().isEmpty());
        QVERIFY(rig->prompter.shown.isEmpty());
    }

    void noPortsAtAllLeavesButtonsUsable() {
        frmExec& w = rig->make(PortMap::explicitOnly());
        w.Form_Load();
        QCOMPARE(w.cboComPorts->count(), 0);
        QVERIFY(w.cmdAlign->isEnabled());
        QVERIFY(w.cmdSave->isEnabled());
        w.cmdAlign_Click(); // the current port (COM1) has no device
        QCOMPARE(rig->prompter.texts(),
                 QStringList{
                     QStringLiteral("COM1 is not open: no device stands for this port (give it one "
                                    "in the Ports dialog or with ksr-utility ports assign).")});
    }

    // "Align" reopens the port and routes to its window while shown; the handler of the disabled
    // "Decode Test" does the same for its window; "Setup" leaves the port and the routing alone.
    void eachButtonShowsItsWindow_data() {
        QTest::addColumn<Button>("button");
        QTest::addColumn<bool>("alignRouted");
        QTest::addColumn<bool>("decodeRouted");
        QTest::newRow("Align") << Button::Align << true << false;
        QTest::newRow("Decode Test") << Button::DecodeTest << false << true;
        QTest::newRow("Setup") << Button::Setup << false << false;
    }
    void eachButtonShowsItsWindow() {
        QFETCH(Button, button);
        QFETCH(bool, alignRouted);
        QFETCH(bool, decodeRouted);
        frmExec& w = rig->makeWithCom1AndCom3();
        w.Form_Load();
        w.show();
        const QString status = w.lblCOMM->text();
        rig->com1->clearReceived();
        int shown = 0;
        const auto show = [&] {
            ++shown;
            QCOMPARE(w.link().receiver() == static_cast<LineReceiver*>(&w.alignWindow()),
                     alignRouted);
            QCOMPARE(w.link().receiver() == static_cast<LineReceiver*>(&w.decodeWindow()),
                     decodeRouted);
            QVERIFY(w.link().isOpen());
            // The timer keeps ticking while a modal window is up.
            const qint64 before = w.link().ticks();
            QTRY_VERIFY(w.link().ticks() - before >= 2);
        };
        w.showAlignWindow = w.showDecodeWindow = w.showSymbolsWindow = show;
        switch (button) {
        case Button::Align:
            QTest::mouseClick(w.cmdAlign, Qt::LeftButton);
            break;
        case Button::DecodeTest:
            QTest::mouseClick(w.cmdDecode, Qt::LeftButton);
            QCOMPARE(shown, 0);
            w.cmdDecode_Click();
            break;
        case Button::Setup:
            QTest::mouseClick(w.cmdSetup, Qt::LeftButton);
            break;
        }
        QCOMPARE(shown, 1);
        QVERIFY(!w.link().receiver());
        QVERIFY(w.link().isOpen());
        QCOMPARE(w.link().currentPort(), qint16(1));
        QCOMPARE(w.lblCOMM->text(), status);
        QVERIFY(!w.cmdDecode->isEnabled());
        QVERIFY(rig->com1->receivedBytes().isEmpty()); // no verification
    }

    void aClickDuringAWaitStartsNothing() {
        frmExec& w = rig->makeWithCom1AndCom3();
        bool alignShown = false;
        w.showAlignWindow = [&] { alignShown = true; };
        bool controlsLocked = false;
        // While the first verification waits, the operator clicks around.
        connect(rig->com1.get(), &PtyReader::commandReceived, &w, [&] {
            controlsLocked = !w.cboComPorts->isEnabled() && !w.cmdAlign->isEnabled();
            emit w.cmdAlign->clicked();
            w.cboComPorts->setCurrentIndex(1);
            emit w.cboComPorts->activated(1);
        });
        w.Form_Load();
        QVERIFY(controlsLocked);
        QVERIFY(!alignShown);
        QCOMPARE(rig->com1->receivedBytes(), frames({"Z3"}));
        QVERIFY(rig->com3->receivedBytes().isEmpty());
        QVERIFY(w.cmdAlign->isEnabled());
        QVERIFY(w.cboComPorts->isEnabled());
        QVERIFY(!w.cmdDecode->isEnabled());
    }

    void closingDuringAWaitWaitsForTheOperation() {
        frmExec& w = rig->makeWithCom1AndCom3();
        w.show();
        bool closedAtOnce = true;
        connect(rig->com1.get(), &PtyReader::commandReceived, &w,
                [&] { closedAtOnce = w.close(); });
        bool alignClosed = false;
        w.closeAlignWindow = [&] { alignClosed = true; };
        rig->com1->setSilent(true);
        w.Form_Load(); // waits, then tells of no response, then closes
        QVERIFY(!closedAtOnce);
        QCOMPARE(rig->prompter.shown.size(), 1);
        QVERIFY(!w.isVisible());
        QVERIFY(alignClosed);
    }

    // The real message box: lines split at CR, text never markup, OK the default button.
    void messageBoxesShowPlainTextAndDefaultToOk() {
        MessageBoxPrompter prompter;
        QVERIFY(whileModal(
            [&] {
                prompter.warn(QStringLiteral("Firmware is <b>KW</b>\rExpecting KW"),
                              QStringLiteral("Word 5: expected 440D, read 1234\rWord 6: ..."));
            },
            [&](QWidget* modal) {
                auto* box = qobject_cast<QMessageBox*>(modal);
                QVERIFY(box);
                QCOMPARE(box->windowTitle(), QStringLiteral("Warning"));
                QCOMPARE(box->text(), QStringLiteral("Firmware is <b>KW</b>\nExpecting KW"));
                QCOMPARE(box->textFormat(), Qt::PlainText);
                QCOMPARE(box->icon(), QMessageBox::Warning);
                QCOMPARE(box->detailedText(),
                         QStringLiteral("Word 5: expected 440D, read 1234\nWord 6: ..."));
            }));
        const Prompt confirm{QStringLiteral("Warning"), QStringLiteral("Sure?"),
                             Prompt::Icon::Exclamation, Prompt::Buttons::OkCancel};
        for (const auto& [key, answer] : {std::pair{Qt::Key_Return, PromptAnswer::Ok},
                                          std::pair{Qt::Key_Escape, PromptAnswer::Cancel}}) {
            PromptAnswer got{};
            whileModal([&] { got = prompter.show(confirm); },
                       [key = key](QWidget* box) { QTest::keyClick(box, key); });
            QCOMPARE(got, answer);
        }
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_main_window.moc"
