// How long the port list keeps the window busy when it drops down, numbers the devices found and
// probes COM1..COM16 again.

#include "bench_support.h"
#include "main_window_rig.h"
#include "ports/port_catalog.h"

#include <QAbstractItemView>
#include <QApplication>
#include <vector>

namespace {
using namespace bench;

struct Figures {
    QList<double> probe;    // listablePorts alone
    QList<double> probeCpu; // its CPU time: the rest of its wall time is spent waiting
    QList<double> popup;    // showPopup(): probe, rows rebuilt, list shown
};

// COM1 holds the window's open port; `device(n)` stands for COM2..COM16.
Figures measure(MainWindowRig& rig, const std::function<QString(int)>& device, int runs,
                int expectedRows, bool* ok) {
    PortMap ports = portsFor({{1, rig.com1->devicePath()}});
    for (int n = 2; n <= ComPort::kCount; ++n)
        ports.map(ComPort{n}, addressOf(device(n)));
    frmExec& w = rig.make(ports);
    w.Form_Load();
    w.show();
    *ok = QTest::qWaitForWindowExposed(&w) && w.link().isOpen();
    Figures f;
    for (int k = 0; k < runs && *ok; ++k) {
        runEventLoopFor(20);
        const qint64 cpu0 = processCpuNs();
        const qint64 t0 = monotonicNs();
        PortProbe probe;
        probe.start(w.link().ports(), w.link().heldKey());
        const QList<ComPort> listed = listablePorts(probe.states(), ComPort{1});
        const qint64 t1 = monotonicNs();
        f.probeCpu << ms(processCpuNs() - cpu0);
        w.cboComPorts->showPopup();
        const qint64 t2 = monotonicNs();
        *ok = listed.size() == expectedRows && w.cboComPorts->count() == expectedRows &&
              w.cboComPorts->view()->isVisible() && w.cboComPorts->currentIndex() == 0;
        w.cboComPorts->hidePopup();
        f.probe << ms(t1 - t0);
        f.popup << ms(t2 - t1);
    }
    *ok =
        *ok && rig.com1->receivedCodes() == QList<QByteArray>{"Z3"} && rig.prompter.shown.isEmpty();
    return f;
}

// The offscreen platform warns at every popup that it cannot raise it or grab the keyboard.
QtMessageHandler fallback = nullptr;
void quietPopupWarnings(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtWarningMsg && text.startsWith(QStringLiteral("This plugin does not support")))
        return;
    fallback(type, context, text);
}

void printFigures(const QString& title, const Figures& f) {
    print(title);
    print(QStringLiteral("  probe of COM2..COM16 alone        ") +
          describe(summarize(f.probe), QStringLiteral(" ms"), 2));
    print(QStringLiteral("    of it CPU time                  ") +
          describe(summarize(f.probeCpu), QStringLiteral(" ms"), 2));
    print(QStringLiteral("  drop-down (probe + rows + shown)  ") +
          describe(summarize(f.popup), QStringLiteral(" ms"), 2));
}
} // namespace

int main(int argc, char* argv[]) {
    defaultToOffscreen();
    fallback = qInstallMessageHandler(quietPopupWarnings);
    QApplication app(argc, argv);
    const int runs = intOption(QCoreApplication::arguments(), QStringLiteral("--runs"), 50);
    printCommandLine(argc, argv);
    print(QStringLiteral("COM1 = simulated reader, open and verified by the window (not probed)"));

    MainWindowRig rig;
    std::vector<std::unique_ptr<PtyReader>> readers;
    for (int n = 2; n <= ComPort::kCount; ++n)
        readers.push_back(startSimulatedReader());
    bool ok = false;
    const Figures ptys = measure(
        rig, [&](int n) { return readers[n - 2]->devicePath(); }, runs, 16, &ok);
    if (!ok) {
        print(QStringLiteral("the 16-pty run went wrong"));
        return 1;
    }
    printFigures(QStringLiteral("COM2..COM16 = 15 simulated readers on ptys (every probe opens "
                                "one):"),
                 ptys);

    rig.com1->clearReceived();
    const Figures missing = measure(
        rig, [&](int n) { return rig.dir.filePath(QStringLiteral("gone%1").arg(n)); }, runs, 1,
        &ok);
    if (!ok) {
        print(QStringLiteral("the missing-device run went wrong"));
        return 1;
    }
    printFigures(QStringLiteral("COM2..COM16 = device paths that do not exist:"), missing);

    // The same 16 readers found as USB adapters, numbered from the remembered file: what the
    // drop-down adds to the probe.
    QList<FoundDevice> found{{rig.com1->devicePath(),
                              QStringLiteral("/dev/serial/by-id/usb-1"),
                              {},
                              QStringLiteral("reader"),
                              QStringLiteral("KSR"),
                              {}}};
    for (int n = 2; n <= ComPort::kCount; ++n)
        found.append({readers[n - 2]->devicePath(),
                      QStringLiteral("/dev/serial/by-id/usb-%1").arg(n),
                      {},
                      QStringLiteral("reader"),
                      QStringLiteral("KSR"),
                      {}});
    PortCatalog catalog([&found] { return found; },
                        PortStore(rig.dir.filePath(QStringLiteral("ports.ini"))), {});
    rig.window.reset();
    rig.com1->clearReceived();
    frmExec& w = rig.make(catalog.portMap());
    w.setPortCatalog(&catalog);
    w.Form_Load();
    w.show();
    QList<double> numbering, system, systemCpu, popup;
    const DeviceList systemList = systemDeviceList();
    for (int k = 0; k < runs; ++k) {
        runEventLoopFor(20);
        const qint64 t0 = monotonicNs();
        catalog.refresh();
        w.link().setPorts(catalog.portMap());
        const qint64 cpu1 = processCpuNs();
        const qint64 t1 = monotonicNs();
        const qsizetype count = systemList().size();
        const qint64 t2 = monotonicNs();
        systemCpu << ms(processCpuNs() - cpu1);
        w.cboComPorts->showPopup();
        const qint64 t3 = monotonicNs();
        ok = ok && count >= 0 && w.cboComPorts->count() == 16;
        w.cboComPorts->hidePopup();
        numbering << ms(t1 - t0);
        system << ms(t2 - t1);
        popup << ms(t3 - t2);
    }
    if (!ok) {
        print(QStringLiteral("the numbered run went wrong"));
        return 1;
    }
    print(QStringLiteral(
        "COM1..COM16 = 16 simulated readers found as adapters, numbers remembered:"));
    print(QStringLiteral("  list read, file read, numbered    ") +
          describe(summarize(numbering), QStringLiteral(" ms"), 2));
    print(QStringLiteral("  this machine's device list        ") +
          describe(summarize(system), QStringLiteral(" ms"), 2));
    print(QStringLiteral("    of it CPU time                  ") +
          describe(summarize(systemCpu), QStringLiteral(" ms"), 2));
    print(QStringLiteral("  drop-down (all of it + probe)     ") +
          describe(summarize(popup), QStringLiteral(" ms"), 2));
    return 0;
}
