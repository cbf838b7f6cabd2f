// How long the verification keeps the operator waiting: Z3 out to the status label set.

#include "bench_support.h"
#include "main_window_rig.h"

#include <QApplication>
#include <QRandomGenerator>

namespace {
using namespace bench;

struct Run {
    qint64 before = -1; // just before GetXSW (or Form_Load)
    qint64 z3 = -1;     // the simulated reader has the whole "Z3" frame
    qint64 status = -1; // the status label is set
    qint64 end = -1;    // GetXSW (or Form_Load) has returned
};

void printTable(const QString& title, const QList<Run>& runs, bool withBefore) {
    QList<double> beforeStatus, z3Status, statusEnd, beforeZ3;
    for (const Run& r : runs) {
        beforeStatus << ms(r.status - r.before);
        z3Status << ms(r.status - r.z3);
        statusEnd << ms(r.end - r.status);
        beforeZ3 << ms(r.z3 - r.before);
    }
    print(title);
    if (withBefore) {
        print(QStringLiteral("  before GetXSW -> status set   ") +
              describe(summarize(beforeStatus), QStringLiteral(" ms")));
    }
    print(QStringLiteral("  Z3 received   -> status set   ") +
          describe(summarize(z3Status), QStringLiteral(" ms")));
    if (withBefore) {
        print(QStringLiteral("  before GetXSW -> Z3 received  ") +
              describe(summarize(beforeZ3), QStringLiteral(" ms"), 3));
    }
    print(QStringLiteral("  status set    -> return       ") +
          describe(summarize(statusEnd), QStringLiteral(" ms"), 3));
}

bool succeeded(const frmExec& w, const MainWindowRig& rig, const Run& r) {
    return w.lblCOMM->text() == QStringLiteral("Online") && rig.prompter.shown.isEmpty() &&
           r.z3 >= 0 && r.status >= 0;
}
} // namespace

int main(int argc, char* argv[]) {
    defaultToOffscreen();
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int runs = intOption(args, QStringLiteral("--runs"), 30);
    const int loads = intOption(args, QStringLiteral("--loads"), 10);
    printCommandLine(argc, argv);
    print(QStringLiteral("ports: COM1 = in-process simulated reader, COM2..COM16 unmapped"));

    MainWindowRig rig;
    StatusWatch watch;
    Run current;
    QObject::connect(rig.com1.get(), &PtyReader::commandReceived, [&](const QByteArray& code) {
        if (code == "Z3" && current.z3 < 0)
            current.z3 = monotonicNs();
    });

    // Repeated GetXSW on one loaded window, each started at a random point of the 50 ms tick.
    QList<Run> repeated;
    {
        frmExec& w = rig.make(portsFor({{1, rig.com1->devicePath()}}));
        w.Form_Load();
        w.show();
        if (!QTest::qWaitForWindowExposed(&w)) {
            print(QStringLiteral("the window was never exposed"));
            return 1;
        }
        w.lblCOMM->installEventFilter(&watch);
        QRandomGenerator phase(0x4B535236u);
        for (int k = 0; k < runs; ++k) {
            runEventLoopFor(100 + phase.bounded(50));
            rig.prompter.shown.clear();
            watch.reset(w.lblCOMM);
            current = Run{};
            current.before = monotonicNs();
            w.GetXSW();
            current.end = monotonicNs();
            current.status = watch.at;
            if (!succeeded(w, rig, current)) {
                print(QStringLiteral("run %1 failed: status \"%2\", messages: %3")
                          .arg(k + 1)
                          .arg(w.lblCOMM->text(), rig.prompter.texts().join(u'|')));
                return 1;
            }
            repeated << current;
        }
        rig.window.reset();
    }
    printTable(QStringLiteral("GetXSW on a loaded window, %1 runs at random tick phase:").arg(runs),
               repeated, true);

    // The verification Form_Load runs, on a fresh window each time, as at start-up.
    QList<Run> atLoad;
    for (int k = 0; k < loads; ++k) {
        rig.prompter.shown.clear();
        frmExec& w = rig.make(portsFor({{1, rig.com1->devicePath()}}));
        w.lblCOMM->installEventFilter(&watch);
        watch.at = -1;
        current = Run{};
        current.before = monotonicNs();
        w.Form_Load();
        current.end = monotonicNs();
        current.status = watch.at;
        if (!succeeded(w, rig, current)) {
            print(QStringLiteral("load %1 failed: status \"%2\", messages: %3")
                      .arg(k + 1)
                      .arg(w.lblCOMM->text(), rig.prompter.texts().join(u'|')));
            return 1;
        }
        atLoad << current;
        rig.window.reset();
        runEventLoopFor(50);
    }
    printTable(QStringLiteral("Form_Load on a fresh window, %1 runs:").arg(loads), atLoad, false);
    QList<double> loadTotal;
    for (const Run& r : atLoad)
        loadTotal << ms(r.end - r.before);
    print(QStringLiteral("  Form_Load whole               ") +
          describe(summarize(loadTotal), QStringLiteral(" ms")));
    print(QStringLiteral("goal: 500 to 560 ms from Z3 out to the status"));
    return 0;
}
