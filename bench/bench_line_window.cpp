// What the Line window costs: CPU of the whole program (windows, link and the in-process
// simulated reader) during the alignment cycle, with the Line window closed and open, in one run.

#include "align/frm_align.h"
#include "bench_support.h"
#include "main_window_rig.h"

#include <QApplication>

namespace {
using namespace bench;

struct Share {
    double cpuPercent = 0; // of one core
    int reports = 0;
    double seconds = 0;
};

// Runs the alignment window for `milliseconds` and reads the CPU the process spent meanwhile.
Share runAligning(MainWindowRig& rig, frmExec& window, int milliseconds) {
    Share share;
    const auto connection =
        QObject::connect(rig.com1.get(), &PtyReader::commandReceived,
                         [&share](const QByteArray& code) { share.reports += code == "P6"; });
    frmAlign& a = window.alignWindow();
    QTimer::singleShot(milliseconds, &a, [&a] { a.reject(); });
    const qint64 cpu0 = processCpuNs();
    const qint64 wall0 = monotonicNs();
    window.cmdAlign_Click(); // modal until the timer closes it
    share.seconds = double(monotonicNs() - wall0) / 1e9;
    share.cpuPercent = 100 * double(processCpuNs() - cpu0) / double(monotonicNs() - wall0);
    QObject::disconnect(connection);
    return share;
}
} // namespace

int main(int argc, char* argv[]) {
    defaultToOffscreen();
    QApplication app(argc, argv);
    const int seconds = intOption(QCoreApplication::arguments(), QStringLiteral("--seconds"), 30);
    printCommandLine(argc, argv);

    MainWindowRig rig;
    frmExec& window = rig.make(portsFor({{1, rig.com1->devicePath()}}));
    window.Form_Load();
    window.show();
    runEventLoopFor(500);

    print(QStringLiteral("CPU of the program during %1 s of alignment (%2 % = one core)")
              .arg(seconds)
              .arg(100));
    Share closed;
    Share open;
    for (const bool lineOpen : {false, true}) {
        if (lineOpen)
            window.showLineWindow();
        const Share share = runAligning(rig, window, seconds * 1000);
        (lineOpen ? open : closed) = share;
        print(QStringLiteral("  Line window %1: %2 % CPU, %3 reports in %4 s = %5/s")
                  .arg(lineOpen ? QStringLiteral("open  ") : QStringLiteral("closed"))
                  .arg(fixed(share.cpuPercent, 2))
                  .arg(share.reports)
                  .arg(fixed(share.seconds, 1))
                  .arg(fixed(share.reports / share.seconds, 1)));
    }
    const LineWindow& line = window.lineWindow();
    print(QStringLiteral("  open costs %1 % of a core more; the window holds %2 lines "
                         "(%3 formatted)")
              .arg(fixed(open.cpuPercent - closed.cpuPercent, 2))
              .arg(line.log().size())
              .arg(line.formattedEntries()));
    print(QStringLiteral("goal: open costs under 5 % of a core more than closed"));
    return 0;
}
