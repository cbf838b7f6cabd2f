#include "layout_check.h"
#include "main_window_rig.h"
#include "modal_window.h"
#include "symbology_boxes.h"
#include "symbols/frm_symbols.h"

#include <QPointer>

namespace {
const QString kNoResponse = QStringLiteral("No Response from Barcode Reader on COM1");

enum class Closing { Ok, Cancel, Escape, TitleBar };
// What the reader answers to the opening's verification.
enum class Answer { Nothing, NoSettingsBlock };
} // namespace

Q_DECLARE_METATYPE(Closing)
Q_DECLARE_METATYPE(Answer)
Q_DECLARE_METATYPE(SymbologyBoxes)

// The dialog on the line; which commands a selection makes is the selection's unit test.
class SymbolsDialogTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<MainWindowRig> rig;
    frmExec* w = nullptr;

    // Presses "Setup" and acts on the dialog once it is up. False when it never came up.
    bool setup(const std::function<void(frmSymbols&)>& act) {
        frmSymbols& dialog = w->symbolsWindow();
        return whileModal([&] { QTest::mouseClick(w->cmdSetup, Qt::LeftButton); },
                          [&](QWidget*) { act(dialog); });
    }
    // The reader with every symbology off.
    void switchEverythingOff() {
        for (const int word : {5, 6, 7, 9, 10, 11, 12, 13, 14})
            rig->com1->model().setWord(word, 0);
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

    void controlsFollowTheLayoutTable() {
        frmSymbols& dialog = w->symbolsWindow();
        QVERIFY(dialog.Form_Load());
        checkLayout(dialog, frmSymbols::layout());
        // The buttons lie above the longer boxes' empty ends.
        QVERIFY(dialog.children().indexOf(dialog.cmdOK) >
                dialog.children().indexOf(dialog.chkSymbols[7]));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        checkTabChain(dialog, frmSymbols::layout());
        // No default button: Enter on a box sends no selection.
        QTest::keyClick(dialog.chkSymbols[0], Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        dialog.reject();
        rig->expectSent(frames({"Z3"}));
    }

    // The whole verification first, then the boxes, set without a word to the reader.
    void openingVerifiesThenTicksTheBoxesSilently() {
        ReaderModel& reader = rig->com1->model();
        reader.setWord(9, 0x6804);  // Code 39 off
        reader.setWord(11, 0x0100); // IATA's bit alone ticks both 2 of 5 boxes
        reader.setWord(14, 0x0C59); // MSI/Plessy on
        for (const int word : {5, 6, 7})
            reader.setWord(word, 0xEEFE); // UPC, EAN off whatever else they hold
        frmSymbols& dialog = w->symbolsWindow();
        SymbologyBoxes atVerification = kAllBoxes;
        bool visibleAtVerification = true;
        connect(rig->com1.get(), &PtyReader::commandReceived, this, [&] {
            atVerification = dialog.boxValues();
            visibleAtVerification = dialog.isVisible();
        });
        bool visibleAtMessage = true;
        rig->prompter.onShow = [&](const Prompt&) { visibleAtMessage = dialog.isVisible(); };
        SymbologyBoxes shown{};
        bool mainWindowLocked = false;
        bool ready = false;
        rig->writeReport("earlier\r\n");
        QVERIFY(setup([&](frmSymbols& d) {
            shown = d.boxValues();
            ready = d.isReady();
            mainWindowLocked = !w->cmdDefaults->isEnabled() && !w->cmdSetup->isEnabled();
            rig->expectSent(frames({"Z3"}));
            d.cmdCancel->click();
        }));
        QCOMPARE(atVerification, SymbologyBoxes{}); // fresh boxes are unticked
        QVERIFY(!visibleAtVerification);
        QCOMPARE(rig->prompter.texts(),
                 QStringList{QStringLiteral("Settings are different from Default values")});
        QVERIFY(!visibleAtMessage);
        QVERIFY(rig->report().startsWith("474A\r\n"));
        QCOMPARE(shown, only({Codabar, IL2of5, Code128, Msi, Code93, Iata}));
        QVERIFY(ready);
        QVERIFY(mainWindowLocked);
        QVERIFY(w->cmdSetup->isEnabled());
        QVERIFY(w->link().isOpen());
        rig->expectSent(frames({"Z3"}));
    }

    void everyWayOfClosing_data() {
        QTest::addColumn<Closing>("closing");
        QTest::addColumn<QByteArray>("sent");         // after the ticking
        QTest::addColumn<SymbologyBoxes>("reopened"); // as the reader holds them then
        const SymbologyBoxes ticked = only({UpcEan, Msi});
        QTest::newRow("OK: the complete selection")
            << Closing::Ok << frames({"B0", "A7"}) << only({Msi});
        QTest::newRow("Cancel") << Closing::Cancel << QByteArray() << ticked;
        QTest::newRow("Escape") << Closing::Escape << QByteArray() << ticked;
        QTest::newRow("window closed") << Closing::TitleBar << QByteArray() << ticked;
    }
    // Ticking sends at once, unticking sends nothing; "OK" sends the whole selection, every
    // other way of closing takes nothing back. The controls go, the dialog stays.
    void everyWayOfClosing() {
        QFETCH(Closing, closing);
        QFETCH(QByteArray, sent);
        QFETCH(SymbologyBoxes, reopened);
        switchEverythingOff();
        frmSymbols& dialog = w->symbolsWindow();
        const QByteArray ticked = frames({"Z3", "R1", "R2", "R3", "R4", "R5", "R6", "B7"});
        QPointer<QCheckBox> box;
        QVERIFY(setup([&](frmSymbols& d) {
            box = d.chkSymbols[0];
            QTest::mouseClick(d.chkSymbols[UpcEan], Qt::LeftButton);
            QTest::mouseClick(d.chkSymbols[UpcEan], Qt::LeftButton);
            QTest::mouseClick(d.chkSymbols[Msi], Qt::LeftButton);
            rig->expectSent(ticked);
            switch (closing) {
            case Closing::Ok:
                d.cmdOK->click();
                break;
            case Closing::Cancel:
                d.cmdCancel->click();
                break;
            case Closing::Escape:
                QTest::keyClick(&d, Qt::Key_Escape);
                break;
            case Closing::TitleBar:
                d.close();
                break;
            }
        }));
        QCOMPARE(dialog.result(),
                 int(closing == Closing::Ok ? QDialog::Accepted : QDialog::Rejected));
        rig->expectSent(ticked + sent);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(box.isNull());
        QVERIFY(dialog.Form_Load());
        QCOMPARE(dialog.boxValues(), reopened);
        QCOMPARE(w->findChildren<frmSymbols*>().size(), 1);
    }

    // Boxes that are not this reader's would make "OK" switch off what nobody touched.
    void unreadSettingsKeepTheDialogShut_data() {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QString>("message");
        QTest::newRow("no reply") << Answer::Nothing << kNoResponse;
        QTest::newRow("no settings block")
            << Answer::NoSettingsBlock << QStringLiteral("Invalid Response from Barcode Reader");
    }
    void unreadSettingsKeepTheDialogShut() {
        QFETCH(Answer, answer);
        QFETCH(QString, message);
        if (answer == Answer::Nothing)
            rig->com1->setSilent(true);
        else
            rig->com1->model().setScriptedReply("Z3", "\r\nVer. 5 KWMR5817\r\nOK\r\n");
        QVERIFY(!setup([](frmSymbols& d) { d.cmdOK->click(); }));
        QCOMPARE(rig->prompter.texts().value(0), message);
        QVERIFY(!w->symbolsWindow().cmdOK);
        rig->expectSent(frames({"Z3"}));
        QVERIFY(w->cmdSetup->isEnabled());
    }
};

QTEST_MAIN(SymbolsDialogTest)
#include "tst_symbols_dialog.moc"
