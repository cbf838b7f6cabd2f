#include "main_window_rig.h"
#include "ui/message_box_prompter.h"
#include "ui/ui_metrics.h"

#include <QFontInfo>
#include <QMessageBox>
#include <QSignalSpy>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>

namespace {
struct ControlRow {
    const char* name;
    const char* className;
    QString caption;
    int left, top, width, height;
};

// Caption lines must fit inside the control's text area, not be clipped by it.
bool captionFits(QWidget* widget, const QString& caption, QString* why) {
    const QFontMetrics metrics(widget->font());
    const QStringList lines = caption.split(QChar(u'\n'));
    int widest = 0;
    for (const QString& line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    const int tall = metrics.height() * int(lines.size());
    QRect room = widget->contentsRect();
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
        QStyleOptionButton option;
        option.initFrom(button);
        room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    } else if (auto* check = qobject_cast<QCheckBox*>(widget)) {
        QStyleOptionButton option;
        option.initFrom(check);
        room = check->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, check);
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        room = QRect(0, 0, group->width() - 16, metrics.height());
    }
    *why = QStringLiteral("%1: text %2x%3 in %4x%5")
               .arg(widget->objectName())
               .arg(widest)
               .arg(tall)
               .arg(room.width())
               .arg(room.height());
    return widest <= room.width() && tall <= room.height() + 1;
}

// Acts on the message box as soon as it is up, then lets `answer` close it.
void whenBoxShows(const std::function<void(QMessageBox*)>& answer) {
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            poll->deleteLater();
            poll->stop();
            answer(box);
        }
    });
    poll->start();
}
} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<MainWindowRig> rig;

private slots:
    void init() { rig = std::make_unique<MainWindowRig>(); }
    void cleanup() { rig.reset(); }

    void controlsMatchTheLayoutTable() {
        frmExec& w = rig->makeWithCom1AndCom3();
        const Twips t;
        QCOMPARE(w.windowTitle(), QStringLiteral("Barcode Reader Test Utility  KSR-6400/6500"));
        QCOMPARE(w.size(), QSize(t.px(5565), t.px(2280)));
        const QList<ControlRow> table = {
            {"frmSetup", "QGroupBox", QStringLiteral("COM Setup"), 120, 120, 2052, 972},
            {"cboComPorts", "PortListBox", QString(), 360, 360, 1332, 288},
            {"lblCOMM", "QLabel", QStringLiteral("lblCOMM"), 600, 1320, 972, 252},
            {"Label1", "QLabel", QStringLiteral("Firmware Version:"), 120, 1920, 1332, 252},
            {"lblFWVersion", "QLabel", QString(), 1440, 1920, 1212, 252},
            {"cmdDefaults", "QPushButton", QStringLiteral("VORN Defaults"), 2400, 240, 1332, 372},
            {"cmdSave", "QPushButton", QStringLiteral("Save Settings"), 2400, 720, 1332, 372},
            {"chkSide", "QCheckBox", QStringLiteral("Side Look"), 2520, 1440, 1095, 255},
            {"cmdAlign", "QPushButton", QStringLiteral("Align"), 4080, 240, 1332, 372},
            {"cmdDecode", "QPushButton", QStringLiteral("Decode Test"), 4080, 720, 1332, 372},
            {"cmdSymbols", "QPushButton", QStringLiteral("Symbology\nIdentifier"), 4080, 1200, 1332,
             492},
            {"cmdSetup", "QPushButton", QStringLiteral("Setup"), 4080, 1800, 1332, 372},
        };
        for (const ControlRow& row : table) {
            auto* widget = w.findChild<QWidget*>(QLatin1String(row.name));
            QVERIFY2(widget, row.name);
            QCOMPARE(widget->metaObject()->className(), row.className);
            QCOMPARE(widget->geometry(), t.rect(row.left, row.top, row.width, row.height));
            QString caption;
            if (auto* label = qobject_cast<QLabel*>(widget))
                caption = label->text();
            else if (auto* button = qobject_cast<QAbstractButton*>(widget))
                caption = button->text();
            else if (auto* group = qobject_cast<QGroupBox*>(widget))
                caption = group->title();
            QCOMPARE(caption, row.caption);
            QString why;
            QVERIFY2(captionFits(widget, caption, &why), qPrintable(why));
        }
        QCOMPARE(w.cboComPorts->parentWidget(), w.frmSetup);
        QCOMPARE(w.cmdSymbols->accessibleName(),
                 QStringLiteral("    Symbology               Identifier"));
        QVERIFY(!w.cmdDecode->isEnabled());
        QVERIFY(!w.chkSide->isChecked());
        QVERIFY(w.lblCOMM->font().bold());
        QCOMPARE(background(w.lblCOMM), QColor(255, 0, 0));
        QCOMPARE(foreground(w.lblCOMM), QColor(255, 255, 255));
        QCOMPARE(w.lblFWVersion->textFormat(), Qt::PlainText);
        QCOMPARE(QFontInfo(w.font()).family(), QStringLiteral("Liberation Sans"));
        // Every port name fits the list too.
        QString why;
        w.cboComPorts->addItem(QStringLiteral("COM16"));
        QVERIFY2(QFontMetrics(w.cboComPorts->font()).horizontalAdvance(QStringLiteral("COM16")) <
                     w.cboComPorts->width() - 24,
                 "COM16 is clipped");
    }

    void tabOrderAndInitialFocus() {
        frmExec& w = rig->makeWithCom1AndCom3();
        w.Form_Load();
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(QApplication::focusWidget(), w.cmdAlign);
        const QList<QWidget*> expected = {w.cboComPorts, w.cmdDefaults, w.cmdSave, w.cmdSymbols,
                                          w.cmdSetup,    w.chkSide,     w.cmdAlign};
        for (QWidget* next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
    }

    void loadListsExistingPortsAndVerifiesCom1() {
        frmExec& w = rig->makeWithCom1AndCom3();
        w.Form_Load();
        QCOMPARE(w.cboComPorts->count(), 2);
        QCOMPARE(w.cboComPorts->itemText(0), QStringLiteral("COM1"));
        QCOMPARE(w.cboComPorts->itemText(1), QStringLiteral("COM3"));
        QCOMPARE(w.portTable()[0], qint16(1));
        QCOMPARE(w.portTable()[1], qint16(3));
        QCOMPARE(w.portTable()[2], qint16(0));
        QCOMPARE(w.cboComPorts->currentIndex(), 0);
        QVERIFY(w.Timer1->isActive());
        QCOMPARE(w.Timer1->interval(), 50);
        QCOMPARE(rig->com1->receivedBytes(), frames({"Z3"}));
        QVERIFY(rig->com3->receivedBytes().isEmpty());
        QVERIFY(w.link().isOpen());
        QCOMPARE(w.lblCOMM->text(), QStringLiteral("Online"));
        QCOMPARE(w.state().DefaultSettings[0], 18250);
        QCOMPARE(w.state().DefaultSettings[38], 65495);
        QCOMPARE(w.state().DefaultSettings[39], 0);
    }

    void choosingAPortVerifiesTheReaderThere() {
        frmExec& w = rig->makeWithCom1AndCom3();
        w.Form_Load();
        rig->com1->clearReceived();
        w.cboComPorts->setCurrentIndex(1);
        emit w.cboComPorts->activated(1);
        QCOMPARE(w.link().currentPort, qint16(3));
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
        QTest::qWait(100);
        QVERIFY(rig->com1->receivedBytes().isEmpty());
        QCOMPARE(w.lblCOMM->text(), QStringLiteral("Offline"));
        QCOMPARE(background(w.lblCOMM), QColor(255, 0, 0));
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
                 QStringList{QStringLiteral("COM1 is not open: no device stands for this port.")});
    }

    void alignRoutesOnlyWhileItsWindowIsShown() {
        frmExec& w = rig->makeWithCom1AndCom3();
        w.Form_Load();
        bool routedWhileShown = false;
        bool openWhileShown = false;
        qint64 ticksWhileShown = 0;
        w.showAlignWindow = [&] {
            routedWhileShown = w.link().alignRouting() && !w.link().decodeRouting();
            openWhileShown = w.link().isOpen();
            // The timer keeps ticking while a modal window is up.
            const qint64 before = w.link().ticks();
            QTest::qWait(300);
            ticksWhileShown = w.link().ticks() - before;
        };
        const QString status = w.lblCOMM->text();
        rig->com1->clearReceived();
        QTest::mouseClick(w.cmdAlign, Qt::LeftButton);
        QVERIFY(routedWhileShown);
        QVERIFY(openWhileShown);
        QVERIFY(ticksWhileShown >= 4);
        QVERIFY(!w.link().alignRouting());
        QVERIFY(w.link().isOpen());
        QCOMPARE(w.lblCOMM->text(), status);
        QVERIFY(rig->com1->receivedBytes().isEmpty()); // no verification
    }

    void decodeTestStaysDisabled() {
        frmExec& w = rig->makeWithCom1AndCom3();
        bool shown = false;
        w.showDecodeWindow = [&] { shown = true; };
        w.Form_Load();
        w.show();
        QTest::mouseClick(w.cmdDecode, Qt::LeftButton);
        QVERIFY(!shown);
        QVERIFY(!w.cmdDecode->isEnabled());
        // Its handler, run directly, routes to the decode window like "Align" does.
        bool routed = false;
        w.showDecodeWindow = [&] { routed = w.link().decodeRouting(); };
        w.cmdDecode_Click();
        QVERIFY(routed);
        QVERIFY(!w.link().decodeRouting());
        QVERIFY(!w.cmdDecode->isEnabled());
    }

    void setupLeavesThePortAlone() {
        frmExec& w = rig->makeWithCom1AndCom3();
        w.Form_Load();
        bool flagsClear = false;
        w.showSymbolsWindow = [&] {
            flagsClear = !w.link().alignRouting() && !w.link().decodeRouting();
        };
        QSignalSpy lost(&w.link(), &ReaderLink::lineLost);
        QTest::mouseClick(w.cmdSetup, Qt::LeftButton);
        QVERIFY(flagsClear);
        QVERIFY(w.link().isOpen());
        QCOMPARE(w.link().currentPort, qint16(1));
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

    void vanishedDeviceShowsOffline() {
        frmExec& w = rig->makeWithCom1AndCom3();
        w.Form_Load();
        QCOMPARE(w.lblCOMM->text(), QStringLiteral("Online"));
        rig->com1->hangUp();
        QTRY_COMPARE(w.lblCOMM->text(), QStringLiteral("Offline"));
        QVERIFY(!w.link().isOpen());
        QVERIFY(rig->prompter.shown.isEmpty());
    }

    void messageBoxShowsLinesAsPlainText() {
        MessageBoxPrompter prompter;
        QString text, title, details;
        Qt::TextFormat format = Qt::RichText;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        whenBoxShows([&](QMessageBox* box) {
            text = box->text();
            title = box->windowTitle();
            format = box->textFormat();
            icon = box->icon();
            details = box->detailedText();
            const QByteArray shot = qgetenv("KSR_SCREENSHOT_BOX");
            if (!shot.isEmpty())
                box->grab().save(QString::fromLocal8Bit(shot));
            QTest::keyClick(box, Qt::Key_Return);
        });
        prompter.warn(QStringLiteral("Firmware version is <b>KW</b>\rExpecting  KWMR5817"),
                      QStringLiteral("Word 5: expected 440D, read 1234\rWord 6: ..."));
        QCOMPARE(title, QStringLiteral("Warning"));
        QCOMPARE(text, QStringLiteral("Firmware version is <b>KW</b>\nExpecting  KWMR5817"));
        QCOMPARE(format, Qt::PlainText);
        QCOMPARE(icon, QMessageBox::Warning);
        QCOMPARE(details, QStringLiteral("Word 5: expected 440D, read 1234\nWord 6: ..."));
    }

    void confirmationDefaultsToOk() {
        MessageBoxPrompter prompter;
        const Prompt confirm{QStringLiteral("Warning"), QStringLiteral("Sure?"),
                             Prompt::Icon::Exclamation, Prompt::Buttons::OkCancel};
        whenBoxShows([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); });
        QCOMPARE(prompter.show(confirm), PromptAnswer::Ok);
        whenBoxShows([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
        QCOMPARE(prompter.show(confirm), PromptAnswer::Cancel);
    }

    void screenshot() {
        const QByteArray target = qgetenv("KSR_SCREENSHOT");
        if (target.isEmpty())
            QSKIP("set KSR_SCREENSHOT to a PNG path to take one");
        frmExec& w = rig->makeWithCom1AndCom3();
        w.Form_Load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.grab().save(QString::fromLocal8Bit(target)));
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_main_window.moc"
