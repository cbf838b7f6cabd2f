#include "main_window_rig.h"
#include "reader_ops/symbology_identification.h"
#include "simulator/read_timing.h"

namespace {
const QString kPresent =
    QStringLiteral("Present the Barcode to be identified to the scanner\rThen click OK");
const QString kNotDecoded = QStringLiteral("The Barcode was not decoded");

QList<QByteArray> identificationCodes() {
    QList<QByteArray> codes;
    for (const QString& code : identificationCommands())
        codes << code.toLatin1();
    return codes << "S7"
                 << "1Y";
}
} // namespace

// The exchange through the line; what each read means is the verdict's own unit test.
class IdentifySymbologyTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<MainWindowRig> rig;

private slots:
    void init() {
        rig = std::make_unique<MainWindowRig>();
        attachReadTiming(*rig->com1, kReadTimeMs);
    }
    void cleanup() { rig.reset(); }

    void setUpThenPromptThenReadThenRestore() {
        rig->com1->model().configuration().presentBarcode({1, "ABC"});
        frmExec& w = rig->loadOnCom1();
        QList<qint64> ticksAtPrompts;
        QList<QByteArray> sentByPrompt;
        bool collectingDuringPrompt = true;
        rig->prompter.onShow = [&](const Prompt& prompt) {
            ticksAtPrompts << w.link().ticks();
            if (prompt.text != kPresent)
                return;
            sentByPrompt = rig->com1->receivedCodes();
            collectingDuringPrompt = w.link().collectingReply();
        };
        const qint64 ticksAtClick = w.link().ticks();
        QTest::mouseClick(w.cmdSymbols, Qt::LeftButton);

        QCOMPARE(rig->prompter.shown.size(), 2);
        const Prompt& present = rig->prompter.shown[0];
        QCOMPARE(present.title, QStringLiteral("Identify Symbology"));
        QCOMPARE(present.text, kPresent);
        QCOMPARE(present.icon, Prompt::Icon::None);
        QCOMPARE(present.buttons, Prompt::Buttons::Ok);
        QCOMPARE(rig->prompter.shown[1].text,
                 QStringLiteral("The symbology is Code 39\rDecode: ABC"));

        QCOMPARE(sentByPrompt, identificationCodes().mid(0, 40));
        QVERIFY(!collectingDuringPrompt);
        // The set-up's wait ends with the 5th tick; the read window, from "S7" on, with the 25th.
        QCOMPARE(ticksAtPrompts, (QList<qint64>{ticksAtClick + 5, ticksAtClick + 5 + 25}));
        QTRY_COMPARE(rig->com1->receivedCodes(), identificationCodes());
        QVERIFY(!w.link().collectingReply());
        QVERIFY(!rig->com1->model().configuration().identifierActive());
        rig->expectSent(rig->com1->receivedBytes()); // and nothing after "1Y"
    }

    void aReadAfterTheWindowIsNotCollected() {
        rig->com1->model().configuration().presentBarcode({4, "late"});
        frmExec& w = rig->loadOnCom1();
        // The read comes about 2 s after the 1.25 s window: late even when ticks run late.
        rig->com1->setExtraDelayMs(2900);
        QTest::mouseClick(w.cmdSymbols, Qt::LeftButton);
        QCOMPARE(rig->prompter.texts(), (QStringList{kPresent, kNotDecoded}));
        // It arrives later, and is dropped.
        QTRY_VERIFY_WITH_TIMEOUT(!rig->com1->isReplying(), 15000);
        w.link().tickWait(w.link().ticks() + 1);
        QVERIFY(w.link().replyBuffer().isEmpty());
    }
};

QTEST_MAIN(IdentifySymbologyTest)
#include "tst_identify_symbology.moc"
