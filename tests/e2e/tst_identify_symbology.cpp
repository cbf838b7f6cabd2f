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
        QHash<QByteArray, qint64> tickAt;
        connect(rig->com1.get(), &PtyReader::commandReceived, this,
                [&](const QByteArray& code) { tickAt.insert(code, w.link().ticks()); });
        qint64 ticksAtPrompt = -1;
        QList<QByteArray> sentByPrompt;
        bool collectingDuringPrompt = true;
        rig->prompter.onShow = [&](const Prompt& prompt) {
            if (prompt.text != kPresent)
                return;
            ticksAtPrompt = w.link().ticks();
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
        QVERIFY2(ticksAtPrompt - ticksAtClick >= 5, qPrintable(QString::number(ticksAtPrompt)));
        QTRY_COMPARE(rig->com1->receivedCodes(), identificationCodes());
        // The read window: 24 ticks after "S7", ended with the 25th.
        QVERIFY2(tickAt.value("1Y") - tickAt.value("S7") >= 24,
                 qPrintable(QString::number(tickAt.value("1Y") - tickAt.value("S7"))));
        QVERIFY(!w.link().collectingReply());
        QVERIFY(!rig->com1->model().configuration().identifierActive());
        rig->expectSent(rig->com1->receivedBytes()); // and nothing after "1Y"
    }

    void aReadAfterTheWindowIsNotCollected() {
        rig->com1->model().configuration().presentBarcode({4, "late"});
        frmExec& w = rig->loadOnCom1();
        rig->com1->setExtraDelayMs(1400);
        QTest::mouseClick(w.cmdSymbols, Qt::LeftButton);
        QCOMPARE(rig->prompter.texts(), (QStringList{kPresent, kNotDecoded}));
        // It arrives later, and is dropped.
        QTRY_VERIFY(!rig->com1->isReplying());
        w.link().tickWait(w.link().ticks() + 1);
        QVERIFY(w.link().replyBuffer().isEmpty());
    }
};

QTEST_MAIN(IdentifySymbologyTest)
#include "tst_identify_symbology.moc"
