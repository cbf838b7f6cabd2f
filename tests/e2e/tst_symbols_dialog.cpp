#include "loaded_on_com1.h"
#include "symbology_boxes.h"
#include "symbols/frm_symbols.h"
#include "ui/ui_metrics.h"

#include <QFontInfo>
#include <QPointer>
#include <QStyleOptionButton>

namespace {

SettingsTable asTable(const SettingsWords& words) {
    SettingsTable table{};
    std::copy(words.begin(), words.end(), table.begin());
    return table;
}

// Acts on the dialog once it is up, from inside its modal loop; closes it if the act did not.
class WhenShown : public QObject {
public:
    WhenShown(frmSymbols& dialog, std::function<void(frmSymbols&)> act)
        : dialog_(dialog), act_(std::move(act)) {
        dialog.installEventFilter(this);
    }
    int openings = 0;

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            ++openings;
            QTimer::singleShot(0, this, [this] {
                act_(dialog_);
                if (dialog_.isVisible())
                    dialog_.reject();
            });
        }
        return false;
    }

private:
    frmSymbols& dialog_;
    std::function<void(frmSymbols&)> act_;
};

// The caption's text lies inside the box's contents and left of `obstacle`, when given.
bool captionVisible(QCheckBox* box, const QWidget* obstacle, QString* why) {
    const QFontMetrics metrics(box->font());
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect room = box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
    const int wide = metrics.horizontalAdvance(box->text());
    const int textRight = box->x() + room.left() + wide;
    *why = QStringLiteral("%1: text %2x%3 in %4x%5, ends at %6")
               .arg(box->text())
               .arg(wide)
               .arg(metrics.height())
               .arg(room.width())
               .arg(room.height())
               .arg(textRight);
    const bool overlaps = obstacle && box->geometry().intersects(obstacle->geometry());
    return wide <= room.width() && metrics.height() <= room.height() + 1 &&
           (!overlaps || textRight < obstacle->x());
}
} // namespace

Q_DECLARE_METATYPE(SymbologyBoxes)

class SymbolsDialogTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<MainWindowRig> rig;

    frmExec& loadOnCom1() { return loadedOnCom1(*rig); }
    // The reader with every symbology off.
    void switchEverythingOff() {
        for (const int word : {5, 6, 7, 9, 10, 11, 12, 13, 14})
            rig->com1->model().setWord(word, 0);
    }
    // Ticks and unticks to reach `wanted`, then forgets what that sent.
    void select(frmSymbols& dialog, const SymbologyBoxes& wanted) {
        for (int i = 0; i < kSymbologyCount; ++i)
            dialog.chkSymbols[std::size_t(i)]->setChecked(wanted[std::size_t(i)]);
        QTest::qWait(100);
        rig->com1->clearReceived();
    }
    void expectSent(const QByteArray& bytes) {
        QTRY_COMPARE(rig->com1->receivedBytes(), bytes);
        QTest::qWait(200);
        QCOMPARE(rig->com1->receivedBytes(), bytes);
    }

private slots:
    void init() { rig = std::make_unique<MainWindowRig>(); }
    void cleanup() { rig.reset(); }

    void controlsMatchTheLayoutTable() {
        frmExec& w = loadOnCom1();
        frmSymbols& dialog = w.symbolsWindow();
        QVERIFY(dialog.Form_Load());
        const Twips t;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Symbologies"));
        QCOMPARE(dialog.size(), QSize(t.px(3180), t.px(3375)));
        QCOMPARE(QFontInfo(dialog.font()).family(), QStringLiteral("Liberation Sans"));
        const char* captions[] = {"Code 39",  "Codabar",    "IL 2 of 5", "Code 128",
                                  "UPC, EAN", "MSI/Plessy", "Code 93",   "IATA"};
        const int widths[] = {1692, 1572, 1572, 1692, 1692, 1692, 1692, 1812};
        for (int i = 0; i < kSymbologyCount; ++i) {
            QCheckBox* box = dialog.chkSymbols[std::size_t(i)];
            QCOMPARE(box->text(), QLatin1String(captions[i]));
            QCOMPARE(box->objectName(), QStringLiteral("chkSymbols"));
            QCOMPARE(box->property("Index").toInt(), i);
            QCOMPARE(box->parentWidget(), &dialog);
            QCOMPARE(box->geometry(), t.rect(600, 360 + 360 * i, widths[i], 252));
            QString why;
            QVERIFY2(captionVisible(box, dialog.cmdOK, &why), qPrintable(why));
        }
        const QList<std::pair<QPushButton*, QRect>> buttons = {
            {dialog.cmdOK, t.rect(2280, 2640, 855, 315)},
            {dialog.cmdCancel, t.rect(2280, 3000, 855, 315)}};
        for (const auto& [button, geometry] : buttons) {
            QCOMPARE(button->geometry(), geometry);
            QStyleOptionButton option;
            option.initFrom(button);
            const QRect room =
                button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
            QVERIFY(QFontMetrics(button->font()).horizontalAdvance(button->text()) <= room.width());
        }
        QCOMPARE(dialog.cmdOK->text(), QStringLiteral("OK"));
        QCOMPARE(dialog.cmdOK->objectName(), QStringLiteral("cmdOK"));
        QCOMPARE(dialog.cmdCancel->text(), QStringLiteral("Cancel"));
        QCOMPARE(dialog.cmdCancel->objectName(), QStringLiteral("cmdCancel"));
        // The buttons lie above the longer boxes' empty ends.
        QVERIFY(dialog.children().indexOf(dialog.cmdOK) >
                dialog.children().indexOf(dialog.chkSymbols[7]));

        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QByteArray shot = qgetenv("KSR_SCREENSHOT_SYMBOLS");
        if (!shot.isEmpty())
            QVERIFY(dialog.grab().save(QString::fromLocal8Bit(shot)));
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(QApplication::focusWidget(), dialog.chkSymbols[0]);
        QList<QWidget*> order(dialog.chkSymbols.begin() + 1, dialog.chkSymbols.end());
        order << dialog.cmdOK << dialog.cmdCancel << dialog.chkSymbols[0];
        for (QWidget* next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        // No default button: Enter on a box sends no selection.
        QTest::keyClick(dialog.chkSymbols[0], Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        dialog.reject();
        expectSent(frames({"Z3"}));
    }

    // The whole verification first, then the boxes, set without a word to the reader.
    void openingVerifiesThenTicksTheBoxesSilently() {
        ReaderModel& reader = rig->com1->model();
        reader.setWord(9, 0x6804);  // Code 39 off
        reader.setWord(11, 0x0100); // IATA's bit alone ticks both 2 of 5 boxes
        reader.setWord(14, 0x0C59); // MSI/Plessy on
        for (const int word : {5, 6, 7})
            reader.setWord(word, 0xEEFE); // UPC, EAN off whatever else they hold
        frmExec& w = loadOnCom1();
        frmSymbols& dialog = w.symbolsWindow();
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
        QByteArray sentWhenShown;
        WhenShown act(dialog, [&](frmSymbols& d) {
            shown = d.boxValues();
            ready = d.isReady();
            mainWindowLocked = !w.cmdDefaults->isEnabled() && !w.cmdSetup->isEnabled();
            QTest::qWait(200);
            sentWhenShown = rig->com1->receivedBytes();
            d.cmdCancel->click();
        });
        rig->writeReport("earlier\r\n");
        QTest::mouseClick(w.cmdSetup, Qt::LeftButton);

        QCOMPARE(act.openings, 1);
        QCOMPARE(atVerification, SymbologyBoxes{}); // fresh boxes are unticked
        QVERIFY(!visibleAtVerification);
        QCOMPARE(rig->prompter.texts(),
                 QStringList{QStringLiteral("Settings are different from Default values")});
        QVERIFY(!visibleAtMessage);
        QVERIFY(rig->report().startsWith("474A\r\n"));
        QCOMPARE(sentWhenShown, frames({"Z3"}));
        QCOMPARE(shown, only({Codabar, IL2of5, Code128, Msi, Code93, Iata}));
        QVERIFY(ready);
        QVERIFY(mainWindowLocked);
        QVERIFY(w.cmdSetup->isEnabled());
        QVERIFY(w.link().isOpen());
        expectSent(frames({"Z3"}));
    }

    void okSendsTheCompleteSelection_data() {
        QTest::addColumn<SymbologyBoxes>("ticked");
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("nothing ticked") << only({}) << frames({"B0"});
        QTest::newRow("only Code 93") << only({Code93}) << frames({"B0", "B5"});
        QTest::newRow("IL 2 of 5 and UPC, EAN")
            << only({IL2of5, UpcEan}) << frames({"B0", "J7", "R8", "R1", "R4"});
        QTest::newRow("everything")
            << kAllBoxes
            << frames({"B0", "A2", "B3", "R7", "R8", "B6", "R1", "R4", "B7", "B5", "B4"});
        QTest::newRow("Code 93 and IATA") << only({Code93, Iata}) << frames({"B0", "B5", "A4"});
    }
    void okSendsTheCompleteSelection() {
        QFETCH(SymbologyBoxes, ticked);
        QFETCH(QByteArray, sent);
        switchEverythingOff();
        frmExec& w = loadOnCom1();
        frmSymbols& dialog = w.symbolsWindow();
        WhenShown act(dialog, [&](frmSymbols& d) {
            select(d, ticked);
            d.cmdOK->click();
        });
        QTest::mouseClick(w.cmdSetup, Qt::LeftButton);
        QCOMPARE(act.openings, 1);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.cmdOK); // the controls went with the dialog
        expectSent(sent);
    }

    void cancelAndClosingSendNothing_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("Cancel") << 0;
        QTest::newRow("Escape") << 1;
        QTest::newRow("window closed") << 2;
    }
    // Ticking sends at once, unticking sends nothing, and closing takes nothing back.
    void cancelAndClosingSendNothing() {
        QFETCH(int, how);
        switchEverythingOff();
        frmExec& w = loadOnCom1();
        frmSymbols& dialog = w.symbolsWindow();
        const QByteArray ticked = frames({"Z3", "R1", "R2", "R3", "R4", "R5", "R6", "B7"});
        WhenShown act(dialog, [&](frmSymbols& d) {
            QTest::mouseClick(d.chkSymbols[UpcEan], Qt::LeftButton);
            QTest::mouseClick(d.chkSymbols[UpcEan], Qt::LeftButton);
            QTest::mouseClick(d.chkSymbols[Msi], Qt::LeftButton);
            expectSent(ticked);
            if (how == 0)
                d.cmdCancel->click();
            else if (how == 1)
                QTest::keyClick(&d, Qt::Key_Escape);
            else
                d.close();
        });
        QTest::mouseClick(w.cmdSetup, Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        expectSent(ticked);
        QVERIFY(dialog.Form_Load());
        QCOMPARE(dialog.boxValues(), only({UpcEan, Msi}));
    }

    // Boxes that are not this reader's would make "OK" switch off what nobody touched.
    void unreadSettingsKeepTheDialogShut_data() {
        QTest::addColumn<QByteArray>("reply"); // null: no reply at all
        QTest::addColumn<QString>("message");
        QTest::newRow("no reply") << QByteArray()
                                  << QStringLiteral("No Response from Barcode Reader on COM1");
        QTest::newRow("no settings block")
            << QByteArray("\r\nVer. 5 KWMR5817\r\nOK\r\n")
            << QStringLiteral("Invalid Response from Barcode Reader");
    }
    void unreadSettingsKeepTheDialogShut() {
        QFETCH(QByteArray, reply);
        QFETCH(QString, message);
        frmExec& w = loadOnCom1();
        if (reply.isNull())
            rig->com1->setSilent(true);
        else
            rig->com1->model().setScriptedReply("Z3", reply);
        frmSymbols& dialog = w.symbolsWindow();
        WhenShown act(dialog, [](frmSymbols& d) { d.cmdOK->click(); });
        QTest::mouseClick(w.cmdSetup, Qt::LeftButton);
        QCOMPARE(act.openings, 0);
        QCOMPARE(rig->prompter.texts().value(0), message);
        QVERIFY(!dialog.cmdOK);
        expectSent(frames({"Z3"}));
        QVERIFY(w.cmdSetup->isEnabled());
    }

    void selectionsRoundTripThroughTheReader_data() {
        QTest::addColumn<SymbologyBoxes>("selection");
        QTest::addColumn<SymbologyBoxes>("reopened");
        QTest::newRow("UPC, EAN and MSI/Plessy") << only({UpcEan, Msi}) << only({UpcEan, Msi});
        QTest::newRow("the 2 of 5 pair and Code 93")
            << only({IL2of5, Iata, Code93}) << only({IL2of5, Iata, Code93});
        // One test ticks both boxes of the 2 of 5 pair.
        QTest::newRow("IATA alone comes back with IL 2 of 5")
            << only({Iata}) << only({IL2of5, Iata});
    }
    void selectionsRoundTripThroughTheReader() {
        QFETCH(SymbologyBoxes, selection);
        QFETCH(SymbologyBoxes, reopened);
        frmExec& w = loadOnCom1();
        frmSymbols& dialog = w.symbolsWindow();
        QVERIFY(dialog.Form_Load());
        select(dialog, selection);
        dialog.cmdOK->click();
        QTRY_COMPARE(boxesFromSettings(asTable(rig->com1->model().words())), reopened);
        QVERIFY(dialog.Form_Load());
        QCOMPARE(dialog.boxValues(), reopened);
        QCOMPARE(boxesFromSettings(w.state().ReaderSettings), reopened);

        // The default batch brings the standard selection back.
        dialog.cmdCancel->click();
        QTest::mouseClick(w.cmdDefaults, Qt::LeftButton);
        QTRY_COMPARE(rig->com1->model().words(), kDefaultSettingsWords);
        rig->prompter.shown.clear();
        QVERIFY(dialog.Form_Load());
        QCOMPARE(dialog.boxValues(),
                 only({Code39, Codabar, IL2of5, Code128, UpcEan, Code93, Iata}));
        QVERIFY(rig->prompter.shown.isEmpty());
    }

    void madeOnceWithFreshControlsEachTime() {
        frmExec& w = loadOnCom1();
        QList<QPointer<QCheckBox>> firstBoxes;
        QList<frmSymbols*> dialogs;
        const auto open = [&] {
            WhenShown act(w.symbolsWindow(), [&](frmSymbols& d) {
                dialogs << &d;
                if (firstBoxes.isEmpty()) {
                    for (QCheckBox* box : d.chkSymbols)
                        firstBoxes << box;
                }
                d.cmdCancel->click();
            });
            QTest::mouseClick(w.cmdSetup, Qt::LeftButton);
        };
        open();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (const auto& box : firstBoxes)
            QVERIFY(box.isNull()); // closing took them
        open();
        QCOMPARE(dialogs.size(), 2);
        QCOMPARE(dialogs[0], dialogs[1]);
        QCOMPARE(w.findChildren<frmSymbols*>().size(), 1);
        QVERIFY(w.symbolsWindow().isReady());
    }
};

QTEST_MAIN(SymbolsDialogTest)
#include "tst_symbols_dialog.moc"
