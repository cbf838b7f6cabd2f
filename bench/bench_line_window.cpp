// What the Line window costs: CPU of the whole program (windows, link and the in-process
// simulated reader) during the alignment cycle in one run: with no line log kept at all, with
// the log kept and the Line window closed (as the program runs), and with the window open.

#include "align/frm_align.h"
#include "bench_support.h"
#include "link/line_log.h"
#include "link/line_trace.h"
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

    const int rounds = intOption(QCoreApplication::arguments(), QStringLiteral("--rounds"), 3);
    print(QStringLiteral("CPU of the program during %1 s of alignment per half, %2 rounds "
                         "(%3 % = one core)")
              .arg(seconds)
              .arg(rounds)
              .arg(100));
    // The two closed halves alternate, and take turns going first, so the machine's drift
    // falls on both alike.
    QList<double> unkept;
    QList<double> kept;
    QList<double> extra;
    qint64 entries = 0;
    for (int round = 0; round < rounds; ++round) {
        for (const bool keep : {round % 2 == 1, round % 2 == 0}) {
            window.link().keepLineLog(keep);
            const Share share = runAligning(rig, window, seconds * 1000);
            (keep ? kept : unkept) << share.cpuPercent;
            if (keep)
                entries = window.link().lineLog()->appended();
            print(QStringLiteral("  round %1, line log %2: %3 % CPU, %4 reports/s")
                      .arg(round + 1)
                      .arg(keep ? QStringLiteral("kept, window closed")
                                : QStringLiteral("not kept          "))
                      .arg(fixed(share.cpuPercent, 3))
                      .arg(fixed(share.reports / share.seconds, 1)));
        }
        extra << kept.last() - unkept.last();
    }
    print(QStringLiteral("  keeping the log costs %1 % of a core (median of the rounds' "
                         "differences; %2 entries kept in the last kept half)")
              .arg(fixed(median(extra), 3))
              .arg(entries));
    // The same figure without the noise of the machine: what one entry costs, times the
    // entries the alignment cycle makes a second.
    const double perSecond = double(entries) / (seconds > 0 ? seconds : 1);
    LineLog probe;
    // As a port read gives it: a few bytes in a buffer with room for many.
    QByteArray chunk = QByteArrayLiteral("\x01"
                                         "0A0B0C0D\x02");
    chunk.reserve(16384);
    constexpr int kAppends = 200000;
    const qint64 cpu0 = processCpuNs();
    for (int k = 0; k < kAppends; ++k)
        probe.append(LineEntry{
            traceMilliseconds(), window.link().portLabel(), LineEntry::Kind::Received, chunk, {}});
    const double nsPerEntry = double(processCpuNs() - cpu0) / kAppends;
    print(QStringLiteral("  one entry kept costs %1 ns; %2 entries/s make %3 % of a core")
              .arg(fixed(nsPerEntry, 0))
              .arg(fixed(perSecond, 1))
              .arg(fixed(100 * nsPerEntry * perSecond / 1e9, 4)));
    print(QStringLiteral("goal: under 0.1 % of a core"));

    window.showLineWindow();
    const Share open = runAligning(rig, window, seconds * 1000);
    const LineWindow& line = window.lineWindow();
    print(QStringLiteral("  Line window open: %1 % CPU, %2 reports/s; open costs %3 % of a "
                         "core more than closed; the window holds %4 lines (%5 formatted)")
              .arg(fixed(open.cpuPercent, 2))
              .arg(fixed(open.reports / open.seconds, 1))
              .arg(fixed(open.cpuPercent - median(kept), 2))
              .arg(line.log().size())
              .arg(line.formattedEntries()));
    print(QStringLiteral("goal: open costs under 5 % of a core more than closed"));
    return 0;
}
