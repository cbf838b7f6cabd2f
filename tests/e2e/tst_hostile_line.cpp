#include "align/frm_align.h"
#include "decode/frm_decode.h"
#include "main_window_rig.h"
#include "modal_window.h"
#include "protocol/settings_words.h"
#include "reader_ops/permanent_save.h"

namespace {
const QString kNoResponse = QStringLiteral("No Response from Barcode Reader on COM1");
const QString kDifferent = QStringLiteral("Settings are different from Default values");
const QString kPresent =
    QStringLiteral("Present the Barcode to be identified to the scanner\rThen click OK");
const QString kNotDecoded = QStringLiteral("The Barcode was not decoded");
// %1: the device.
const QString kLost = QStringLiteral("COM1 (%1) is not open: the device was lost.");
const QString kNotSaved =
    QStringLiteral("The settings were not saved as the power-on defaults.\r") + kLost;
constexpr int kLong = 10000; // ms; a loaded machine may be slow, never fast

// Where the line goes away, and how the operation around it is started.
enum class Wait {
    Verification,
    SaveVerification,
    SaveSettle,
    IdentifySetUp,
    IdentifyPrompt,
    IdentifyRead,
    AlignWindow,
    DecodeWindow,
};
} // namespace

Q_DECLARE_METATYPE(Wait)

// A device that vanishes in every wait of every operation, and a new one on the same path
// afterwards: nothing the program sends may reach it until the port is chosen again.
class HostileLineTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<MainWindowRig> rig;
    frmExec* w = nullptr;
    QString linkPath;

    void chooseTheSelectedPort() { emit w->cboComPorts->activated(w->cboComPorts->currentIndex()); }

    // Runs the operation a row names; `inWindow` runs once the alignment or decode window is up.
    void run(Wait wait, const std::function<void()>& inWindow) {
        switch (wait) {
        case Wait::Verification:
            chooseTheSelectedPort();
            break;
        case Wait::SaveVerification:
        case Wait::SaveSettle:
            w->cmdSave->click();
            break;
        case Wait::IdentifySetUp:
        case Wait::IdentifyPrompt:
        case Wait::IdentifyRead:
            w->cmdSymbols->click();
            break;
        case Wait::AlignWindow:
            QVERIFY(whileModal([&] { w->cmdAlign->click(); }, [&](QWidget*) { inWindow(); }));
            QVERIFY(!w->alignWindow().Timer1->isActive());
            break;
        case Wait::DecodeWindow:
            // "Decode Test" itself stays disabled; its handler opens the window.
            QVERIFY(whileModal([&] { w->cmdDecode_Click(); }, [&](QWidget*) { inWindow(); }));
            QVERIFY(!w->decodeWindow().Timer1->isActive());
            break;
        }
    }

private slots:
    void init() {
        rig = std::make_unique<MainWindowRig>();
        linkPath = rig->dir.filePath(QStringLiteral("reader"));
        QString error;
        QVERIFY2(rig->com1->makeLink(linkPath, &error), qPrintable(error));
        w = &rig->make(portsFor({{1, linkPath}}));
        w->Form_Load();
        QCOMPARE(w->lblCOMM->text(), QStringLiteral("Online"));
        rig->com1->clearReceived();
        rig->prompter.shown.clear();
    }
    void cleanup() {
        w = nullptr;
        rig.reset();
    }

    void deviceVanishingInEveryWait_data() {
        QTest::addColumn<Wait>("wait");
        // The command whose arrival pulls the device; empty when the row pulls it otherwise.
        QTest::addColumn<QByteArray>("pullAt");
        QTest::addColumn<QStringList>("messages");
        const QString confirm = saveConfirmationPrompt().text;
        QTest::newRow("verification")
            << Wait::Verification << QByteArray("Z3") << QStringList{kNoResponse};
        QTest::newRow("save, its verification") << Wait::SaveVerification << QByteArray("Z3")
                                                << QStringList{confirm, kNoResponse, kNotSaved};
        QTest::newRow("save, before Z2")
            << Wait::SaveSettle << QByteArray() << QStringList{confirm, kDifferent, kNotSaved};
        QTest::newRow("identification, set-up")
            << Wait::IdentifySetUp << QByteArray("S8") << QStringList{kPresent, kNotDecoded};
        QTest::newRow("identification, prompt up")
            << Wait::IdentifyPrompt << QByteArray() << QStringList{kPresent, kNotDecoded};
        QTest::newRow("identification, read")
            << Wait::IdentifyRead << QByteArray("S7") << QStringList{kPresent, kNotDecoded};
        QTest::newRow("alignment window") << Wait::AlignWindow << QByteArray() << QStringList{};
        // Closing sends the default batch, which cannot go out.
        QTest::newRow("decode window") << Wait::DecodeWindow << QByteArray() << QStringList{kLost};
    }
    void deviceVanishingInEveryWait() {
        QFETCH(Wait, wait);
        QFETCH(QByteArray, pullAt);
        QFETCH(QStringList, messages);
        PtyReader& reader = *rig->com1;
        bool pulled = false;
        const auto pull = [&] {
            if (!pulled)
                reader.hangUp();
            pulled = true;
        };
        connect(&reader, &PtyReader::commandReceived, this, [&](const QByteArray& code) {
            if (code == pullAt)
                pull();
        });
        rig->prompter.onShow = [&](const Prompt& prompt) {
            if ((wait == Wait::SaveSettle && prompt.text == kDifferent) ||
                (wait == Wait::IdentifyPrompt && prompt.text == kPresent))
                pull();
        };
        if (wait == Wait::SaveSettle)
            reader.model().setWord(5, 0x1234);
        // A new device takes the path as soon as the old one is gone: whatever the program sent
        // after the loss would reach it.
        connect(&w->link(), &ReaderLink::lineLost, this, [&] {
            QString error;
            QVERIFY2(reader.restart(&error), qPrintable(error));
            reader.model().setWord(5, kDefaultSettingsWords[5]);
            reader.clearReceived();
        });

        run(wait, [&] {
            pull();
            QTRY_VERIFY_WITH_TIMEOUT(!w->link().isOpen(), kLong);
        });
        QVERIFY(pulled);
        QTRY_VERIFY_WITH_TIMEOUT(!w->link().isOpen(), kLong);
        QCOMPARE(rig->prompter.texts(), messages.replaceInStrings(QStringLiteral("%1"), linkPath));
        QCOMPARE(w->lblCOMM->text(), QStringLiteral("Offline"));
        QVERIFY(!w->isBusy());
        QVERIFY(w->cmdAlign->isEnabled());
        QVERIFY(!w->link().collectingReply() && !w->link().receiver());
        QTRY_VERIFY_WITH_TIMEOUT(reader.isRunning(), kLong);
        w->link().tickWait(w->link().ticks() + 4); // room for anything still on its way out
        QCOMPARE(reader.receivedCodes(), QList<QByteArray>{});

        rig->prompter.shown.clear();
        chooseTheSelectedPort();
        QCOMPARE(rig->prompter.texts(), QStringList{});
        QCOMPARE(w->lblCOMM->text(), QStringLiteral("Online"));
        QCOMPARE(reader.receivedCodes(), QList<QByteArray>{"Z3"});
        QCOMPARE(rig->report(), defaultReport());
    }
};

QTEST_MAIN(HostileLineTest)
#include "tst_hostile_line.moc"
