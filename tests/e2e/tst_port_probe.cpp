#include "app/frm_exec.h"
#include "app/ports_dialog.h"
#include "cli/port_listing.h"
#include "modal_window.h"
#include "scripted_prompter.h"
#include "simulated_port.h"
#include "unanswered_port.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

// Every kind of port the probe tells apart, on this machine's loopback and temporary files.
struct ProbeRig {
    QTemporaryDir dir;
    std::unique_ptr<PtyReader> free = startSimulatedReader();
    std::unique_ptr<PtyReader> busy = startSimulatedReader();
    std::unique_ptr<PtyReader> here = startSimulatedReader();
    QSerialPort other;
    QTcpServer listening;
    UnansweredPort unanswered;
    quint16 refused = 0;

    ProbeRig() {
        other.setPortName(busy->devicePath());
        if (!other.open(QIODevice::ReadWrite) || !listening.listen(QHostAddress::LocalHost))
            qFatal("probe rig");
        QTcpServer closed;
        closed.listen(QHostAddress::LocalHost);
        refused = closed.serverPort();
    }
    QString file() const { return dir.filePath(QStringLiteral("plain-file")); }
    QString net(const char* scheme, quint16 port, const char* tail = "") const {
        return QStringLiteral("%1://127.0.0.1:%2%3")
            .arg(QLatin1String(scheme))
            .arg(port)
            .arg(QLatin1String(tail));
    }
};

class PortProbeTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<ProbeRig> rig;
    // Row name -> COMn and what stands for it; `here` is open in the test's own link.
    QList<std::tuple<QString, int, QString, QString>> table() const {
        const auto row = [](const char* name, int port, const QString& address, const char* state) {
            return std::tuple{QLatin1String(name), port, address, QLatin1String(state)};
        };
        return {
            row("free pty", 1, rig->free->devicePath(), "present"),
            row("held by another program", 2, rig->busy->devicePath(), "in use"),
            row("held here", 3, rig->here->devicePath(), "in use here"),
            row("nothing at the path", 4, QStringLiteral("/nonexistent/ttyUSB9"), "missing"),
            row("character device", 5, QStringLiteral("/dev/zero"), "not a serial port"),
            row("plain file", 6, rig->file(), "not a serial port"),
            row("folder", 7, rig->dir.path(), "a folder, not a device"),
            row("no device", 8, QString(), ""),
            row("listening server", 9, rig->net("rfc2217", rig->listening.serverPort()), "present"),
            row("refused", 10, rig->net("socket", rig->refused), "unreachable \\(.*refused.*\\)"),
            row("never answered", 11, rig->net("socket", rig->unanswered.port(), "?timeout=0.4"),
                "unreachable \\(.*timed out.*\\)"),
        };
    }
    PortMap ports() const {
        PortMap map = PortMap::explicitOnly();
        for (const auto& [name, port, address, state] : table()) {
            if (!address.isEmpty())
                map.map(ComPort{port}, addressOf(address));
        }
        return map;
    }
    // `expected` is a pattern for the whole word.
    static void compareState(const QString& row, const QString& shown, const QString& expected) {
        const QRegularExpression pattern(QStringLiteral("^(%1)$").arg(expected));
        QVERIFY2(pattern.match(shown).hasMatch(),
                 qPrintable(QStringLiteral("%1: \"%2\", expected %3").arg(row, shown, expected)));
    }

private slots:
    void init() {
        rig = std::make_unique<ProbeRig>();
        QFile(rig->file()).open(QIODevice::WriteOnly);
    }
    void cleanup() { rig.reset(); }

    // One table of states; the probe of all of them at once answers each as the table says,
    // local ones at once and network ones all within one bound.
    void probeStates() {
        PortProbe probe;
        const QString heldKey = addressOf(rig->here->devicePath()).key();
        QElapsedTimer clock;
        clock.start();
        probe.start(ports(), heldKey);
        QVERIFY(clock.elapsed() < 300); // nothing waited on the network
        QCOMPARE(probe.state(ComPort{11}).word(), QStringLiteral("connecting"));
        QSignalSpy done(&probe, &PortProbe::finished);
        QVERIFY(done.wait(3000));
        QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
        for (const auto& [name, port, address, state] : table())
            compareState(name, probe.state(ComPort{port}).word(), state);
        const QList<ComPort> listed = listablePorts(probe.states(), ComPort{4});
        QCOMPARE(listed,
                 (QList<ComPort>{ComPort{1}, ComPort{2}, ComPort{3}, ComPort{4}, ComPort{9}}));
    }

    // The Ports dialog and the ports command read the same catalog with the same probe.
    void dialogAndPortsCommandAgree() {
        PortCatalog catalog([] { return QList<FoundDevice>(); },
                            PortStore(rig->dir.filePath(QStringLiteral("ports.ini"))),
                            ports().mapped());
        const QJsonArray listed =
            portListingJson(catalog).object().value(QStringLiteral("ports")).toArray();
        ScriptedPrompter prompter;
        frmExec w(catalog.portMap(), rig->dir.filePath(QStringLiteral("report.txt")), prompter);
        w.setPortCatalog(&catalog);
        QStringList shown;
        QVERIFY(whileModal([&] { w.cmdPorts_Click(); },
                           [&](QWidget* modal) {
                               auto* table =
                                   modal->findChild<QTableWidget*>(QStringLiteral("tblPorts"));
                               QVERIFY(table);
                               QTRY_VERIFY_WITH_TIMEOUT(!w.portProbe().isRunning(), 3000);
                               for (int row = 0; row < table->rowCount(); ++row)
                                   shown << table->item(row, PortsDialog::StateColumn)->text();
                           }));
        QCOMPARE(shown.size(), ComPort::kCount);
        for (int row = 0; row < ComPort::kCount; ++row) {
            const QString command =
                listed.at(row).toObject().value(QStringLiteral("state")).toString();
            QCOMPARE(shown[row], command);
        }
        QCOMPARE(shown[2], QStringLiteral("present")); // no line is held in either
        QVERIFY(shown[9].startsWith(QStringLiteral("unreachable")));
    }
};

QTEST_MAIN(PortProbeTest)
#include "tst_port_probe.moc"
