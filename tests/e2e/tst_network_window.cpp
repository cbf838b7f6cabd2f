// The main window with a reader on the network: chosen, verified, lost and chosen again; and a
// server that never sets the line up, which must not freeze the window.
#include "fake_com_server.h"
#include "main_window_rig.h"
#include "ser2net_fixture.h"

class NetworkWindowTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<MainWindowRig> rig;

    // COM1 on its local pty, COM3 at `address`; loaded, then COM3 chosen.
    frmExec& chooseCom3(const QString& address) {
        frmExec& w = rig->make(portsFor({{1, rig->com1->devicePath()}, {3, address}}));
        w.Form_Load();
        rig->prompter.shown.clear();
        // A network port is listed once its probe has answered.
        if (!QTest::qWaitFor([&w] { return w.cboComPorts->findText(QStringLiteral("COM3")) >= 0; }))
            qWarning("COM3 was never listed");
        const int row = w.cboComPorts->findText(QStringLiteral("COM3"));
        w.cboComPorts->setCurrentIndex(row);
        emit w.cboComPorts->activated(row);
        return w;
    }

private slots:
    void init() { rig = std::make_unique<MainWindowRig>(); }
    void cleanup() { rig.reset(); }

    void choosingANetworkPortVerifies_data() {
        QTest::addColumn<bool>("rfc2217");
        QTest::newRow("rfc2217") << true;
        QTest::newRow("raw") << false;
    }
    void choosingANetworkPortVerifies() {
        QFETCH(bool, rfc2217);
        Ser2netFixture ser2net;
        QString error;
        QVERIFY2(ser2net.start({rig->com3->devicePath()}, &error), qPrintable(error));
        const QString address = rfc2217 ? ser2net.rfc2217Address(0) : ser2net.socketAddress(0);
        frmExec& w = chooseCom3(address);
        QCOMPARE(w.link().currentPort(), qint16(3));
        QCOMPARE(rig->com3->receivedBytes(), frames({"Z3"}));
        QCOMPARE(w.lblCOMM->text(), QStringLiteral("Online"));
        QCOMPARE(rig->report(), defaultReport());
        QVERIFY(rig->prompter.shown.isEmpty());

        // The server goes away: the port is lost, once, and the window says Offline.
        ser2net.kill();
        QTRY_VERIFY(!w.link().isOpen());
        QCOMPARE(w.lblCOMM->text(), QStringLiteral("Offline"));
        QVERIFY(rig->prompter.shown.isEmpty());
        // Back again: choosing the port reconnects and verifies.
        QVERIFY2(ser2net.restart(&error), qPrintable(error));
        rig->com3->clearReceived();
        emit w.cboComPorts->activated(w.cboComPorts->currentIndex());
        QCOMPARE(rig->com3->receivedBytes(), frames({"Z3"}));
        QCOMPARE(w.lblCOMM->text(), QStringLiteral("Online"));
    }

    // The bound holds, the window's own timer keeps ticking meanwhile, and the operator is
    // told why, naming the port.
    void serverThatNeverNegotiatesDoesNotFreezeTheWindow() {
        FakeComServer silent(FakeComServer::Behaviour::Silent);
        const QString address =
            QStringLiteral("rfc2217://127.0.0.1:%1?timeout=0.5").arg(silent.port());
        QElapsedTimer clock;
        clock.start();
        frmExec& w = rig->make(portsFor({{1, rig->com1->devicePath()}, {3, address}}));
        w.Form_Load();
        QTRY_VERIFY(w.cboComPorts->findText(QStringLiteral("COM3")) >= 0);
        const qint64 ticksBefore = w.link().ticks();
        const int row = w.cboComPorts->findText(QStringLiteral("COM3"));
        w.cboComPorts->setCurrentIndex(row);
        emit w.cboComPorts->activated(row);
        QVERIFY(w.link().ticks() - ticksBefore >= 5); // 0.5 s of 50 ms ticks ran meanwhile
        QVERIFY(clock.elapsed() < 5000);
        QCOMPARE(rig->prompter.texts().size(), 1);
        QVERIFY2(rig->prompter.texts().constFirst().startsWith(
                     QStringLiteral("COM3 (%1) cannot be opened: ").arg(address)) &&
                     rig->prompter.texts().constFirst().contains(QStringLiteral("timed out")),
                 qPrintable(rig->prompter.texts().constFirst()));
        QCOMPARE(w.lblCOMM->text(), QStringLiteral("Offline"));
        QVERIFY(silent.data().isEmpty());
    }
};

QTEST_MAIN(NetworkWindowTest)
#include "tst_network_window.moc"
