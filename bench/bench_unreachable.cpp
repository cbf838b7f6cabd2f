// What network ports that never answer cost: three rfc2217:// ports whose device servers are
// switched off (their connections are never answered) beside a simulated reader on COM1, against
// the same start with COM1 alone. Figures: the window shown after start, the list dropped down
// after the click, and the ports command as a script runs it.

#include "bench_support.h"
#include "built_programs.h"
#include "main_window_rig.h"
#include "unanswered_port.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QProcess>
#include <QWindow>
#include <memory>
#include <vector>

namespace {
using namespace bench;

struct Figures {
    QList<double> shown;    // frmExec made, loaded, shown and exposed
    QList<double> dropDown; // the click's showPopup() until the rows are up
    QList<double> ports;    // ksr-utility ports, start to exit
};

QStringList assigned(const QList<quint16>& unanswered) {
    QStringList words;
    for (int k = 0; k < unanswered.size(); ++k)
        words << QStringLiteral("--port")
              << QStringLiteral("COM%1=rfc2217://127.0.0.1:%2").arg(k + 2).arg(unanswered[k]);
    return words;
}

Figures measure(const QString& com1, const QList<quint16>& unanswered, int runs, bool* ok) {
    Figures f;
    QTemporaryDir dir;
    for (int k = 0; k < runs && *ok; ++k) {
        ScriptedPrompter prompter;
        PortMap ports = portsFor({{1, com1}});
        for (int n = 0; n < unanswered.size(); ++n)
            ports.map(ComPort{n + 2},
                      addressOf(QStringLiteral("rfc2217://127.0.0.1:%1").arg(unanswered[n])));
        const qint64 t0 = monotonicNs();
        auto w = std::make_unique<frmExec>(ports, dir.filePath(QStringLiteral("r.txt")), prompter);
        w->Form_Load();
        w->show();
        *ok =
            QTest::qWaitForWindowExposed(w.get()) && w->lblCOMM->text() == QStringLiteral("Online");
        f.shown << ms(monotonicNs() - t0);
        runEventLoopFor(50);
        const qint64 t1 = monotonicNs();
        w->cboComPorts->showPopup();
        *ok = *ok && w->cboComPorts->view()->isVisible();
        f.dropDown << ms(monotonicNs() - t1);
        w->cboComPorts->hidePopup();
    }
    for (int k = 0; k < qMin(runs, 3) && *ok; ++k) {
        QProcess utility;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KSR_DEVICE_LIST"), QStringLiteral("/dev/null"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path());
        utility.setProcessEnvironment(env);
        const qint64 t0 = monotonicNs();
        utility.start(utilityProgram(),
                      QStringList{QStringLiteral("ports")} + assigned(unanswered) +
                          QStringList{QStringLiteral("--port"), QStringLiteral("COM1=") + com1});
        *ok = utility.waitForFinished(30000) && utility.exitCode() == 0;
        f.ports << ms(monotonicNs() - t0);
    }
    return f;
}

void printFigures(const QString& title, const Figures& f) {
    print(title);
    print(QStringLiteral("  window shown after start    ") +
          describe(summarize(f.shown), QStringLiteral(" ms")));
    print(QStringLiteral("  list dropped down           ") +
          describe(summarize(f.dropDown), QStringLiteral(" ms")));
    print(QStringLiteral("  ksr-utility ports           ") +
          describe(summarize(f.ports), QStringLiteral(" ms")));
}

// The offscreen platform warns at every popup that it cannot raise it or grab the keyboard.
QtMessageHandler fallback = nullptr;
void quietPopupWarnings(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtWarningMsg && text.startsWith(QStringLiteral("This plugin does not support")))
        return;
    fallback(type, context, text);
}
} // namespace

int main(int argc, char* argv[]) {
    defaultToOffscreen();
    fallback = qInstallMessageHandler(quietPopupWarnings);
    QApplication app(argc, argv);
    const int runs = intOption(QCoreApplication::arguments(), QStringLiteral("--runs"), 10);
    printCommandLine(argc, argv);
    const auto reader = startSimulatedReader();
    std::vector<std::unique_ptr<UnansweredPort>> servers;
    QList<quint16> unanswered;
    for (int k = 0; k < 3; ++k) {
        servers.push_back(std::make_unique<UnansweredPort>());
        unanswered << servers.back()->port();
    }
    bool ok = true;
    const Figures alone = measure(reader->devicePath(), {}, runs, &ok);
    const Figures three = measure(reader->devicePath(), unanswered, runs, &ok);
    if (!ok) {
        print(QStringLiteral("a run went wrong"));
        return 1;
    }
    printFigures(QStringLiteral("COM1 = simulated reader alone:"), alone);
    printFigures(QStringLiteral("COM1 = simulated reader, COM2..COM4 = rfc2217:// never "
                                "answered (3 s bound each):"),
                 three);
    print(QStringLiteral("ratios, three unanswered / alone (medians): shown %1, drop-down %2, "
                         "ports %3")
              .arg(fixed(median(three.shown) / median(alone.shown), 2),
                   fixed(median(three.dropDown) / median(alone.dropDown), 2),
                   fixed(median(three.ports) / median(alone.ports), 2)));
    return 0;
}
