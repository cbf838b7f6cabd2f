#include "main_window_rig.h"

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
};

QTEST_MAIN(PortListTest)
#include "tst_port_list.moc"
