#include "align/frm_align.h"
#include "app/ports_dialog.h"
#include "decode/frm_decode.h"
#include "layout_check.h"
#include "main_window_rig.h"
#include "ports/port_catalog.h"
#include "ports/port_probe.h"
#include "symbols/frm_symbols.h"
#include "symbols/symbology_rows.h"
#include "ui/required_child.h"
#include "ui/translations.h"
#include "utility_process.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QTranslator>

// The windows in the desktop's language (CTest runs this under several LANG values and scale
// factors), and the commands in English whatever it is.
Q_DECLARE_METATYPE(const WindowLayout*)

class LanguageTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<MainWindowRig> rig;
    QString language;

    bool german() const { return language == QLatin1String("de"); }

private slots:
    void initTestCase() {
        language = installTranslations();
        const QString wanted = qEnvironmentVariable("LANG").section(u'_', 0, 0).section(u'.', 0, 0);
        QCOMPARE(language == QLatin1String("en") ? QStringLiteral("C") : language.left(2),
                 wanted.isEmpty() ? QStringLiteral("C") : wanted);
    }
    void init() { rig = std::make_unique<MainWindowRig>(); }
    void cleanup() { rig.reset(); }

    void mainWindowSpeaksTheDesktopLanguage_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("deutsch");
        const auto row = [](const char* name, const char* english, const char* deutsch) {
            QTest::newRow(name) << QString::fromUtf8(name) << QString::fromUtf8(english)
                                << QString::fromUtf8(deutsch);
        };
        row("frmExec", "Barcode Reader Test Utility  KSR-6400/6500",
            "Barcodeleser-Testprogramm  KSR-6400/6500");
        row("frmSetup", "COM Setup", "COM-Anschluss");
        row("Label1", "Firmware Version:", "Firmware-Version:");
        row("cmdDefaults", "VORN Defaults", "VORN-Standard");
        row("cmdSave", "Save Settings", "Einstellungen speichern");
        row("chkSide", "Side Look", "Seitenblick");
        row("cmdAlign", "Align", "Ausrichten");
        row("cmdDecode", "Decode Test", "Decodiertest");
        row("cmdSymbols", "Symbology\nIdentifier", "Symbologie\nerkennen");
        row("cmdSetup", "Setup", "Symbologien");
        row("cmdLine", "Line", "Leitung");
    }
    void mainWindowSpeaksTheDesktopLanguage() {
        QFETCH(QString, control);
        QFETCH(QString, english);
        QFETCH(QString, deutsch);
        if (language != QLatin1String("en") && !german())
            QSKIP("the captions are checked in English and German");
        frmExec& w = rig->makeWithCom1AndCom3();
        QWidget* widget = control == QLatin1String("frmExec") ? &w : w.findChild<QWidget*>(control);
        QVERIFY(widget);
        const QString shown = widget == &w ? w.windowTitle() : captionOf(widget);
        QCOMPARE(shown, german() ? deutsch : english);
    }

    // Every caption of every window table has its translation, but for the symbologies' names
    // and the labels that stand for what the program writes there.
    void everyCaptionIsTranslated_data() {
        QTest::addColumn<const WindowLayout*>("table");
        QTest::newRow("main window") << &frmExec::layout();
        QTest::newRow("alignment") << &frmAlign::layout();
        QTest::newRow("decode") << &frmDecode::layout();
        QTest::newRow("symbologies") << &frmSymbols::layout();
        QTest::newRow("ports") << &PortsDialog::layout();
    }
    void everyCaptionIsTranslated() {
        QFETCH(const WindowLayout*, table);
        if (language == QLatin1String("en"))
            QSKIP("English is the source");
        QTranslator translator;
        QVERIFY(translator.load(QStringLiteral("ksr-utility_") + language,
                                translationFolders().first()));
        const QStringList names{QStringLiteral("lblCOMM"), QStringLiteral("...")};
        QStringList untranslated;
        QStringList captions{QString::fromUtf8(table->title)};
        for (const ControlSpec& entry : table->controls)
            captions << QString::fromUtf8(entry.caption);
        for (const QString& caption : captions) {
            const bool symbology =
                std::any_of(symbologyRows().begin(), symbologyRows().end(),
                            [&](const SymbologyRow& row) { return row.caption == caption; });
            if (caption.isEmpty() || names.contains(caption) || symbology)
                continue;
            if (translator.translate(table->name, qPrintable(caption)).isEmpty())
                untranslated << caption;
        }
        QVERIFY2(untranslated.isEmpty(), qPrintable(untranslated.join(QStringLiteral(", "))));
    }

    // Every window's captions fit, nothing runs under anything else, Tab still walks the chain.
    void layoutsHold() {
        frmExec& w = rig->makeWithCom1AndCom3();
        checkLayout(w, frmExec::layout());
        checkLayout(w.alignWindow(), frmAlign::layout());
        checkLayout(w.decodeWindow(), frmDecode::layout());
        w.Form_Load();
        QCOMPARE(w.lblCOMM->text(), QCoreApplication::translate("frmExec", "Online"));
        QVERIFY2(captionMisfit(w.lblCOMM).isEmpty(), qPrintable(captionMisfit(w.lblCOMM)));
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        checkTabChain(w, frmExec::layout());

        frmSymbols& symbols = w.symbolsWindow();
        QVERIFY(symbols.Form_Load());
        checkLayout(symbols, frmSymbols::layout());

        QTemporaryDir config;
        PortCatalog catalog([] { return QList<FoundDevice>(); },
                            PortStore(config.filePath(QStringLiteral("ports.ini"))), {});
        PortProbe probe;
        PortsDialog ports(catalog, probe, {});
        checkLayout(ports, PortsDialog::layout());

        LineWindow& line = w.lineWindow();
        line.show();
        QVERIFY(QTest::qWaitForWindowExposed(&line));
        requireChild<QPushButton>(line, "cmdPause")->setChecked(true);
        for (const char* button : {"cmdPause", "cmdClear", "cmdCopy", "cmdSave"}) {
            QWidget* control = requireChild<QPushButton>(line, button);
            QVERIFY2(captionMisfit(control).isEmpty(), qPrintable(captionMisfit(control)));
        }
        QVERIFY(requireChild<QLabel>(line, "lblState")->geometry().right() <= line.width());
    }

    // What scripts read never follows the desktop's language.
    void commandsStayEnglish() {
        if (!german())
            QSKIP("checked under German");
        QTemporaryDir dir;
        Readers readers;
        QVERIFY(readers.start(dir.path(), {{}, {QStringLiteral("--silent")}}));
        const QStringList ports = readers.portOptions();
        const Run run = runUtility(
            QStringList{QStringLiteral("verify"), QStringLiteral("COM1"), QStringLiteral("COM2")} +
                ports,
            dir.path(), {}, {QStringLiteral("LANG=de_DE.UTF-8"), QStringLiteral("LANGUAGE=de")});
        QVERIFY2(run.exitCode == 1, qPrintable(describe(run)));
        QVERIFY2(run.err.contains(QStringLiteral("COM2: No Response from Barcode Reader on COM2")),
                 qPrintable(describe(run)));
        QVERIFY2(run.out.contains(QStringLiteral("no-answer")), qPrintable(describe(run)));
    }
};

QTEST_MAIN(LanguageTest)
#include "tst_language.moc"
