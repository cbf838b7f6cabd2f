#include "loaded_on_com1.h"
#include "reader_ops/symbology_identification.h"
#include "simulator/read_timing.h"

#include <QElapsedTimer>

namespace {
const QString kPresent =
    QStringLiteral("Present the Barcode to be identified to the scanner\rThen click OK");
const QString kNotDecoded = QStringLiteral("The Barcode was not decoded");
const QString kUnknown = QStringLiteral("The symbology is Unknown\rMSI/Plessy, IATA, Code 93\r"
                                        "Decode: ");

QList<QByteArray> identificationCodes() {
    QList<QByteArray> codes;
    for (const QString& code : identificationCommands())
        codes << code.toLatin1();
    return codes << "S7"
                 << "1Y";
}

QString latin1(const QByteArray& bytes) {
    return QString::fromLatin1(bytes);
}
} // namespace

Q_DECLARE_METATYPE(QList<PresentedBarcode>)

class IdentifySymbologyTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<MainWindowRig> rig;

    frmExec& loadOnCom1() { return loadedOnCom1(*rig); }

private slots:
    void init() {
        rig = std::make_unique<MainWindowRig>();
        attachReadTiming(*rig->com1, kReadTimeMs);
    }
    void cleanup() { rig.reset(); }

    void setUpThenPromptThenReadThenRestore() {
        rig->com1->model().configuration().presentBarcode({1, "ABC"});
        frmExec& w = loadOnCom1();
        QHash<QByteArray, qint64> tickAt;
        QHash<QByteArray, qint64> msAt;
        QElapsedTimer clock;
        clock.start();
        connect(rig->com1.get(), &PtyReader::commandReceived, this, [&](const QByteArray& code) {
            tickAt.insert(code, w.link().ticks());
            msAt.insert(code, clock.elapsed());
        });
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
        QVERIFY2(msAt.value("1Y") - msAt.value("S7") >= 1150,
                 qPrintable(QString::number(msAt.value("1Y") - msAt.value("S7"))));
        QVERIFY(!w.link().collectingReply());
        QVERIFY(!rig->com1->model().configuration().identifierActive());
        // Nothing follows "1Y".
        QTest::qWait(300);
        QCOMPARE(rig->com1->receivedCodes(), identificationCodes());
    }

    // What the reader reads decides the message; no barcode means no output at all.
    void verdicts_data() {
        QTest::addColumn<QList<PresentedBarcode>>("barcodes");
        QTest::addColumn<QString>("verdict"); // null: no message after the prompt
        using B = QList<PresentedBarcode>;
        QTest::newRow("STX and 3 alone")
            << B{{3, ""}} << QStringLiteral("The symbology is 2 of 5\rDecode: ");
        QTest::newRow("STX, 1 and ABC")
            << B{{1, "ABC"}} << QStringLiteral("The symbology is Code 39\rDecode: ABC");
        QTest::newRow("STX and 7: no message") << B{{7, "XYZ"}} << QString();
        QTest::newRow("one character") << B{{0, "\x02"}} << kNotDecoded;
        QTest::newRow("nothing read") << B{} << kNotDecoded;
        QTest::newRow("no STX: three lines with all of it")
            << B{{0, "93-SAMPLE"}} << kUnknown + QStringLiteral("93-SAMPLE");
        QTest::newRow("STX and a letter: the STX shown too") << B{{0, "\x02"
                                                                      "A12"}}
                                                             << kUnknown + QStringLiteral("\x02"
                                                                                          "A12");
        QTest::newRow("EAN, data as received, markup and all")
            << B{{6, "<b>40</b>\xE9\r\n"}}
            << QStringLiteral("The symbology is EAN\rDecode: ") + latin1("<b>40</b>\xE9\r\n");
    }
    void verdicts() {
        QFETCH(QList<PresentedBarcode>, barcodes);
        QFETCH(QString, verdict);
        rig->com1->model().configuration().setPresentedBarcodes(barcodes);
        frmExec& w = loadOnCom1();
        QTest::mouseClick(w.cmdSymbols, Qt::LeftButton);
        QCOMPARE(rig->prompter.texts().value(0), kPresent);
        if (verdict.isNull()) {
            QCOMPARE(rig->prompter.shown.size(), 1);
            return;
        }
        QCOMPARE(rig->prompter.shown.size(), 2);
        const Prompt& shown = rig->prompter.shown[1];
        QCOMPARE(shown.text, verdict);
        QCOMPARE(shown.title, QStringLiteral("Identify Symbology"));
        QCOMPARE(shown.icon,
                 verdict == kNotDecoded ? Prompt::Icon::Exclamation : Prompt::Icon::None);
    }

    void aReadAfterTheWindowIsNotCollected() {
        rig->com1->model().configuration().presentBarcode({4, "late"});
        frmExec& w = loadOnCom1();
        rig->com1->setExtraDelayMs(1400);
        QTest::mouseClick(w.cmdSymbols, Qt::LeftButton);
        QCOMPARE(rig->prompter.texts(), (QStringList{kPresent, kNotDecoded}));
        // It arrives later, and is dropped.
        QTest::qWait(1000);
        QVERIFY(w.link().replyBuffer().isEmpty());
    }
};

QTEST_MAIN(IdentifySymbologyTest)
#include "tst_identify_symbology.moc"
