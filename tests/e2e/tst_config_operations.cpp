#include "align/frm_align.h"
#include "main_window_rig.h"
#include "modal_window.h"
#include "protocol/settings_words.h"
#include "reader_ops/permanent_save.h"
#include "symbols/frm_symbols.h"

namespace {
// Counts the dialogs shown, and closes each at once.
class OpeningCounter : public QObject {
public:
    int count = 0;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            ++count;
            auto* dialog = static_cast<QDialog*>(watched);
            QTimer::singleShot(0, dialog, &QDialog::reject);
        }
        return false;
    }
};
const QByteArray kDefaultBatch = frames({"+5", "U4", "D0", "F0", "ST", "-K", "1R"});
const QString kNoResponse = QStringLiteral("No Response from Barcode Reader on COM1");
} // namespace

class ConfigOperationsTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<MainWindowRig> rig;

private slots:
    void init() { rig = std::make_unique<MainWindowRig>(); }
    void cleanup() { rig.reset(); }

    void defaultsPutExactlyTheBatchOnTheLine() {
        rig->com1->model().setWord(9, 0x0000); // Code 39 off
        frmExec& w = rig->loadOnCom1();
        const SettingsTable before = w.state().ReaderSettings;
        const QString status = w.lblCOMM->text();
        QTest::mouseClick(w.cmdDefaults, Qt::LeftButton);
        rig->expectSent(kDefaultBatch);
        QCOMPARE(kDefaultBatch.size(), 28);
        QVERIFY(rig->prompter.shown.isEmpty());
        // The reader is back to its standard words; the window still shows the last reading.
        QCOMPARE(rig->com1->model().words(), kDefaultSettingsWords);
        QCOMPARE(w.state().ReaderSettings, before);
        QCOMPARE(w.lblCOMM->text(), status);

        // As the decode window calls it when it closes: no events are let in.
        rig->com1->clearReceived();
        const qint64 ticks = w.link().ticks();
        w.cmdDefaults_Click();
        QCOMPARE(w.link().ticks(), ticks);
        rig->expectSent(kDefaultBatch);
    }

    void cancelledSaveSendsNothing() {
        frmExec& w = rig->loadOnCom1();
        rig->prompter.answers = {PromptAnswer::Cancel};
        QTest::mouseClick(w.cmdSave, Qt::LeftButton);
        QCOMPARE(rig->prompter.shown.size(), 1);
        const Prompt& confirm = rig->prompter.shown[0];
        QCOMPARE(confirm.title, QStringLiteral("Warning"));
        QCOMPARE(confirm.icon, Prompt::Icon::Exclamation);
        QCOMPARE(confirm.buttons, Prompt::Buttons::OkCancel);
        QCOMPARE(confirm.text, QStringLiteral("This will save the current settings\r"
                                              "permanently as the power on defaults!\r"
                                              "Are you sure you want to do this?"));
        rig->expectSent({});
    }

    void confirmedSaveVerifiesWaitsAndSendsZ2Once() {
        frmExec& w = rig->loadOnCom1();
        rig->com1->model().setWord(12, 0x0000); // Code 93 and more off, to be kept
        const qint64 before = w.link().ticks();
        QTest::mouseClick(w.cmdSave, Qt::LeftButton);
        QCOMPARE(w.link().ticks() - before, 11 + 6); // the verification, then the settling
        QCOMPARE(rig->prompter.texts(),
                 (QStringList{saveConfirmationPrompt().text,
                              QStringLiteral("Settings are different from Default values")}));
        rig->expectSent(frames({"Z3", "Z2"}));
        QCOMPARE(rig->com1->model().configuration().powerOnWords()[12], quint16(0));
    }

    // The message of the failed verification, then the wait, in which clicks start nothing.
    void withNoReaderTheSaveStillEndsWithZ2() {
        rig->com1->setSilent(true);
        frmExec& w = rig->loadOnCom1();
        bool setupShown = false;
        w.showSymbolsWindow = [&] { setupShown = true; };
        qint64 ticksAtMessage = -1;
        QList<QByteArray> sentByThen;
        rig->prompter.onShow = [&](const Prompt& prompt) {
            if (prompt.text == kNoResponse) {
                ticksAtMessage = w.link().ticks();
                sentByThen = rig->com1->receivedCodes();
            }
        };
        bool clickedWhileBusy = false;
        connect(&w.link(), &ReaderLink::ticked, this, [&] {
            if (ticksAtMessage < 0 || w.link().ticks() != ticksAtMessage + 1)
                return;
            clickedWhileBusy = w.isBusy();
            for (QPushButton* button : {w.cmdDefaults, w.cmdSave, w.cmdSymbols, w.cmdSetup})
                emit button->clicked();
        });
        QTest::mouseClick(w.cmdSave, Qt::LeftButton);
        const qint64 ticksAtEnd = w.link().ticks();
        QCOMPARE(rig->prompter.texts(), (QStringList{saveConfirmationPrompt().text, kNoResponse}));
        QCOMPARE(sentByThen, QList<QByteArray>{"Z3"});
        // The wait is counted from the closing of the message: it ends with the 6th tick.
        QCOMPARE(ticksAtEnd - ticksAtMessage, 6);
        QVERIFY(clickedWhileBusy);
        QVERIFY(!setupShown);
        rig->expectSent(frames({"Z3", "Z2"}));
    }

    // A port that did not open: every operation says so once, naming the device and why, and
    // sends nothing and waits for nothing.
    void aPortThatIsNotOpenIsNamedOnce_data() {
        QTest::addColumn<QString>("button");
        for (const char* button : {"cmdDefaults", "cmdSave", "cmdSymbols", "cmdSetup", "cmdAlign"})
            QTest::newRow(button) << QString::fromLatin1(button);
    }
    void aPortThatIsNotOpenIsNamedOnce() {
        QFETCH(QString, button);
        const QString device = rig->dir.filePath(QStringLiteral("nonexistent"));
        frmExec& w = rig->make(portsFor({{1, device}}));
        w.Form_Load();
        QVERIFY(rig->prompter.shown.isEmpty());
        QCOMPARE(w.lblCOMM->text(), QStringLiteral("Offline"));
        OpeningCounter openings;
        w.symbolsWindow().installEventFilter(&openings);
        w.alignWindow().installEventFilter(&openings);

        const qint64 ticks = w.link().ticks();
        QTest::mouseClick(w.findChild<QPushButton*>(button), Qt::LeftButton);
        QCOMPARE(w.link().ticks(), ticks);
        QCOMPARE(
            rig->prompter.texts(),
            QStringList{
                QStringLiteral("COM1 (%1) is not open: the device does not exist.").arg(device)});
        QCOMPARE(rig->prompter.shown[0].title, QStringLiteral("Warning"));
        QCOMPARE(openings.count, 0);
        QVERIFY(w.findChild<QPushButton*>(button)->isEnabled());
    }
};

QTEST_MAIN(ConfigOperationsTest)
#include "tst_config_operations.moc"
