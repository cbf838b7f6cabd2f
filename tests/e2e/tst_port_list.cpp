#include "app/ports_dialog.h"
#include "layout_check.h"
#include "main_window_rig.h"
#include "modal_window.h"
#include "ports/port_catalog.h"

#include <QAbstractItemView>
#include <QSignalSpy>
#include <QWheelEvent>

namespace {
QStringList rows(const frmExec& w) {
    QStringList names;
    for (int row = 0; row < w.cboComPorts->count(); ++row)
        names << w.cboComPorts->itemText(row);
    return names;
}

QList<qint16> tableHead(const frmExec& w, int entries) {
    return QList<qint16>(w.portTable().begin(), w.portTable().begin() + entries);
}

// The operator drops the list down; it stays open until hidden.
void openList(frmExec& w) {
    QTest::mouseClick(w.cboComPorts, Qt::LeftButton);
    QTRY_VERIFY(w.cboComPorts->view()->isVisible());
}
} // namespace

// The port list follows adapters that are plugged in and out, and only a deliberate choice
// changes the port.
class PortListTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<MainWindowRig> rig;

    QString linkPath(const char* name) const { return rig->dir.filePath(QLatin1String(name)); }

private slots:
    void init() { rig = std::make_unique<MainWindowRig>(); }
    void cleanup() { rig.reset(); }

    void openingTheListShowsPortsThatCameAndWent() {
        // COM2's adapter is plugged in after the start, COM3's is pulled.
        auto com2 = startSimulatedReader();
        QVERIFY(rig->com3->makeLink(linkPath("com3")));
        frmExec& w = rig->make(
            portsFor({{1, rig->com1->devicePath()}, {2, linkPath("com2")}, {3, linkPath("com3")}}));
        w.Form_Load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(rows(w), QStringList({QStringLiteral("COM1"), QStringLiteral("COM3")}));
        rig->com1->clearReceived();
        QSignalSpy lost(&w.link(), &ReaderLink::lineLost);
        rig->com3->hangUp();
        QVERIFY(com2->makeLink(linkPath("com2")));

        openList(w);
        QCOMPARE(rows(w), QStringList({QStringLiteral("COM1"), QStringLiteral("COM2")}));
        QCOMPARE(tableHead(w, 3), QList<qint16>({1, 2, 0}));
        // The current port is left alone: same row, still open, nothing sent on it.
        QCOMPARE(w.cboComPorts->currentIndex(), 0);
        QCOMPARE(w.link().currentPort(), qint16(1));
        QVERIFY(w.link().isOpen());
        w.link().tickWait(w.link().ticks() + 2);
        QVERIFY(rig->com1->receivedBytes().isEmpty());
        QCOMPARE(w.lblCOMM->text(), QStringLiteral("Online"));
        QVERIFY(lost.isEmpty());

        // Chosen in the open list, the new reader is opened and verified.
        QTest::keyClick(w.cboComPorts->view(), Qt::Key_Down);
        QTest::keyClick(w.cboComPorts->view(), Qt::Key_Return);
        QCOMPARE(w.link().currentPort(), qint16(2));
        QCOMPARE(com2->receivedBytes(), frames({"Z3"}));
        QCOMPARE(w.lblCOMM->text(), QStringLiteral("Online"));
        QVERIFY(rig->prompter.shown.isEmpty());
    }

    void aLostCurrentPortKeepsItsRowUntilChosenAgain() {
        QVERIFY(rig->com3->makeLink(linkPath("com3")));
        frmExec& w = rig->make(portsFor({{1, rig->com1->devicePath()}, {3, linkPath("com3")}}));
        w.Form_Load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // The keyboard on the closed list still chooses a port.
        QTest::keyClick(w.cboComPorts, Qt::Key_Down);
        QCOMPARE(w.link().currentPort(), qint16(3));
        QCOMPARE(rig->com3->receivedBytes(), frames({"Z3"}));

        rig->com3->hangUp();
        QTRY_COMPARE(w.lblCOMM->text(), QStringLiteral("Offline"));
        openList(w);
        QCOMPARE(rows(w), QStringList({QStringLiteral("COM1"), QStringLiteral("COM3")}));
        QCOMPARE(w.cboComPorts->currentIndex(), 1);
        QCOMPARE(w.lblCOMM->text(), QStringLiteral("Offline"));

        // Back on the same path: choosing the row again opens and verifies it.
        QVERIFY(rig->com3->restart());
        rig->com3->clearReceived();
        QTest::keyClick(w.cboComPorts->view(), Qt::Key_Return);
        QCOMPARE(w.link().currentPort(), qint16(3));
        QVERIFY(w.link().isOpen());
        QCOMPARE(rig->com3->receivedBytes(), frames({"Z3"}));
        QCOMPARE(w.lblCOMM->text(), QStringLiteral("Online"));
        QVERIFY(rig->prompter.shown.isEmpty());
    }

    void theWheelOverTheClosedListChangesNothing() {
        frmExec& w = rig->makeWithCom1AndCom3();
        w.Form_Load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        rig->com1->clearReceived();
        const QPointF centre = QRectF(w.cboComPorts->rect()).center();
        QWheelEvent notch(centre, w.cboComPorts->mapToGlobal(centre), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w.cboComPorts, &notch);
        QCOMPARE(w.cboComPorts->currentIndex(), 0);
        QCOMPARE(w.link().currentPort(), qint16(1));
        QVERIFY(w.link().isOpen());
        QVERIFY(rig->com1->receivedBytes().isEmpty());
        QVERIFY(rig->com3->receivedBytes().isEmpty());
    }

    // An adapter the system lists is moved to COM5 in the Ports dialog: the list shows COM5,
    // choosing it verifies, and the next start shows COM5 again.
    void portsDialogGivesAReaderItsNumber() {
        QTemporaryDir config;
        const PortStore store(config.filePath(QStringLiteral("ksr-utility/ports.ini")));
        const QString reader = rig->com3->devicePath();
        QList<FoundDevice> found{{reader,
                                  QStringLiteral("/dev/serial/by-id/usb-KSR_42"),
                                  {},
                                  QStringLiteral("Simulated reader"),
                                  QStringLiteral("KSR"),
                                  QStringLiteral("42")}};
        auto catalog = std::make_unique<PortCatalog>([&found] { return found; }, store,
                                                     QMap<ComPort, PortAddress>{});
        frmExec& w = rig->make(catalog->portMap());
        w.setPortCatalog(catalog.get());
        w.Form_Load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // A fresh system: the one adapter is COM1, opened and verified at start.
        QCOMPARE(rows(w), QStringList{QStringLiteral("COM1")});
        QCOMPARE(rig->com3->receivedBytes(), frames({"Z3"}));
        rig->com3->clearReceived();
        QVERIFY(w.cmdPorts->toolTip() == QStringLiteral("Ports"));

        const bool shown = whileModal(
            [&w] { QTest::mouseClick(w.cmdPorts, Qt::LeftButton); },
            [&reader](QWidget* modal) {
                QVERIFY(qobject_cast<PortsDialog*>(modal));
                auto* table = modal->findChild<QTableWidget*>(QStringLiteral("tblPorts"));
                const auto button = [modal](const char* name) {
                    return modal->findChild<QPushButton*>(QLatin1String(name));
                };
                const auto cell = [table](int row, int column) {
                    return table->item(row, column)->text();
                };
                QCOMPARE(cell(0, PortsDialog::DeviceColumn), reader);
                QCOMPARE(cell(0, PortsDialog::StateColumn), QStringLiteral("in use here"));
                QVERIFY(
                    cell(0, PortsDialog::DescriptionColumn).contains(QStringLiteral("serial 42")));
                table->selectRow(4);
                modal->findChild<QComboBox*>(QStringLiteral("cboDevice"))->setCurrentIndex(0);
                QTest::mouseClick(button("cmdAssign"), Qt::LeftButton);
                QCOMPARE(cell(4, PortsDialog::DeviceColumn), reader);
                QVERIFY(cell(0, PortsDialog::DeviceColumn).isEmpty());
                QTest::mouseClick(button("cmdOK"), Qt::LeftButton);
            });
        QVERIFY(shown);
        QCOMPARE(rows(w), QStringList{QStringLiteral("COM5")});
        QVERIFY(w.cboComPorts->itemData(0, Qt::ToolTipRole)
                    .toString()
                    .contains(QStringLiteral("Serial number: 42")));
        // COM1 stood for the reader and stands for nothing now: it was closed.
        QVERIFY(!w.link().isOpen());
        w.cboComPorts->setCurrentIndex(0);
        emit w.cboComPorts->activated(0);
        QCOMPARE(w.link().currentPort(), qint16(5));
        QCOMPARE(rig->com3->receivedBytes(), frames({"Z3"}));
        QCOMPARE(w.lblCOMM->text(), QStringLiteral("Online"));
        QVERIFY(rig->prompter.shown.isEmpty());

        // A second adapter plugged in while the program runs gets the lowest free number.
        found.append({rig->com1->devicePath(),
                      QStringLiteral("/dev/serial/by-id/usb-KSR_43"),
                      {},
                      {},
                      {},
                      {}});
        openList(w);
        QCOMPARE(rows(w), QStringList({QStringLiteral("COM1"), QStringLiteral("COM5")}));
        w.cboComPorts->hidePopup();

        rig->window.reset();
        catalog = std::make_unique<PortCatalog>([&found] { return found; }, store,
                                                QMap<ComPort, PortAddress>{});
        frmExec& again = rig->make(catalog->portMap());
        again.setPortCatalog(catalog.get());
        again.Form_Load();
        QCOMPARE(rows(again), QStringList({QStringLiteral("COM1"), QStringLiteral("COM5")}));
    }

    // No usable port: the status says why COM1 is not open, what was found and what to do.
    void anEmptyListSaysWhatToDo_data() {
        QTest::addColumn<QString>("com1");
        QTest::addColumn<QStringList>("said");
        QTest::addColumn<QString>("unsaid");
        QTest::newRow("no device at all")
            << QString()
            << QStringList{QStringLiteral("No serial device"), QStringLiteral("dialout"),
                           QStringLiteral("Ports dialog")}
            << QString();
        QTest::newRow("COM1 is no serial port")
            << QStringLiteral("/dev/zero")
            << QStringList{QStringLiteral("COM1 (/dev/zero) cannot be opened: not a serial port")}
            << QStringLiteral("No serial device was found");
    }
    void anEmptyListSaysWhatToDo() {
        QFETCH(QString, com1);
        QFETCH(QStringList, said);
        QFETCH(QString, unsaid);
        QTemporaryDir config;
        QMap<ComPort, PortAddress> thisRun;
        if (!com1.isEmpty())
            thisRun.insert(ComPort{1}, PortAddress::devicePath(com1));
        PortCatalog catalog([] { return QList<FoundDevice>(); },
                            PortStore(config.filePath(QStringLiteral("ports.ini"))), thisRun);
        frmExec& w = rig->make(catalog.portMap());
        w.setPortCatalog(&catalog);
        w.Form_Load();
        QVERIFY(rows(w).isEmpty());
        const QString tip = w.lblCOMM->toolTip();
        for (const QString& words : said)
            QVERIFY2(tip.contains(words), qPrintable(tip));
        QVERIFY2(unsaid.isEmpty() || !tip.contains(unsaid), qPrintable(tip));
    }

    // The dialog is what its table says, its captions fitting on every scale it runs on.
    void portsDialogFollowsItsLayoutTable() {
        QTemporaryDir config;
        PortCatalog catalog([] { return QList<FoundDevice>(); },
                            PortStore(config.filePath(QStringLiteral("ports.ini"))), {});
        const PortProbe probe;
        PortsDialog dialog(catalog, probe, {});
        checkLayout(dialog, PortsDialog::layout());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        checkTabChain(dialog, PortsDialog::layout());
    }
};

QTEST_MAIN(PortListTest)
#include "tst_port_list.moc"
