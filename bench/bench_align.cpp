// The alignment window's pace against the simulated reader, and the cost of one report.

#include "align/frm_align.h"
#include "bench_support.h"
#include "main_window_rig.h"

#include <QApplication>
#include <cmath>

namespace {
using namespace bench;

constexpr double kCharsPerSecond = 960; // 9600 baud, 10 bits a character
constexpr double kTickSeconds = 0.1;
constexpr int kFrameChars = 4; // ESC, two code characters, CR

// Ticks from one request to the next when the report arrives without delay: the request
// tick, the ticks the line needs, and the tick that processes it.
int boundTicks(double seconds) {
    return int(std::ceil(seconds / kTickSeconds - 1e-9)) + 1;
}

struct Pace {
    int reports = 0;
    double seconds = 0;
    QList<double> requestGaps; // ms between consecutive requests
};

// Runs the window for `ms` against the rig's reader and reads the pace off the reader's side.
Pace runAligning(MainWindowRig& rig, frmExec& window, int milliseconds) {
    QList<qint64> requests;
    QList<qint64> completions;
    const auto connection =
        QObject::connect(rig.com1.get(), &PtyReader::commandReceived, [&](const QByteArray& code) {
            if (code == "DZ")
                requests << monotonicNs();
            else if (code == "P6")
                completions << monotonicNs();
        });
    frmAlign& a = window.alignWindow();
    QTimer::singleShot(milliseconds, &a, [&a] { a.reject(); });
    window.cmdAlign_Click(); // modal until the timer closes it
    QObject::disconnect(connection);

    Pace pace;
    if (requests.size() < 2)
        return pace;
    // Whole cycles only: from the first request to the last.
    const qint64 first = requests.first();
    const qint64 last = requests.last();
    for (const qint64 t : completions)
        pace.reports += t > first && t < last;
    pace.seconds = double(last - first) / 1e9;
    for (qsizetype k = 1; k < requests.size(); ++k)
        pace.requestGaps << ms(requests[k] - requests[k - 1]);
    return pace;
}

QString bodyOf(const QByteArray& report) {
    const qsizetype start = report.indexOf('\x01');
    const qsizetype end = report.indexOf('\x02');
    return QString::fromLatin1(report.mid(start + 1, end - start - 2)) + QLatin1Char('\r');
}

// Median and p90 of `runs` calls of `work`, in microseconds.
QString timeCalls(int runs, const std::function<void(int)>& work) {
    QList<double> us;
    for (int k = 0; k < runs; ++k) {
        const qint64 t0 = monotonicNs();
        work(k);
        us << double(monotonicNs() - t0) / 1e3;
    }
    return describe(summarize(us), QStringLiteral(" us"));
}
} // namespace

int main(int argc, char* argv[]) {
    defaultToOffscreen();
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int seconds = intOption(args, QStringLiteral("--seconds"), 20);
    const int runs = intOption(args, QStringLiteral("--runs"), 2000);
    printCommandLine(argc, argv);

    MainWindowRig rig;
    frmExec& window = rig.make(portsFor({{1, rig.com1->devicePath()}}));
    window.Form_Load();
    AlignmentTarget& target = rig.com1->model().alignmentTarget();

    print(QStringLiteral("reports processed per second, %1 s each, in-process simulated reader "
                         "(reaction %2 ms)")
              .arg(seconds)
              .arg(rig.com1->replyDelayMs()));
    struct Size {
        int clutter;
        QString name;
    };
    for (const Size& size :
         {Size{0, QStringLiteral("9 fields")}, Size{46, QStringLiteral("101 fields")}}) {
        target.setClutterBars(size.clutter);
        target.setNoise(size.clutter ? 10 : 0);
        const qsizetype reportChars = target.report().size();
        const double lineSeconds = double(kFrameChars + reportChars) / kCharsPerSecond;
        const int ticks = boundTicks(lineSeconds);
        const int ticksWithReaction = boundTicks(lineSeconds + rig.com1->replyDelayMs() / 1000.0);
        const double bound = 1 / (ticks * kTickSeconds);

        const Pace pace = runAligning(rig, window, seconds * 1000);
        const double rate = pace.seconds > 0 ? pace.reports / pace.seconds : 0;
        print(QStringLiteral("  %1: report %2 chars, line %3 ms -> bound %4 ticks = %5/s "
                             "(with the reader's reaction: %6 ticks)")
                  .arg(size.name)
                  .arg(reportChars)
                  .arg(fixed(lineSeconds * 1000, 1))
                  .arg(ticks)
                  .arg(fixed(bound, 3))
                  .arg(ticksWithReaction));
        print(QStringLiteral("    measured %1 reports in %2 s = %3/s = %4 % of the bound")
                  .arg(pace.reports)
                  .arg(fixed(pace.seconds, 2))
                  .arg(fixed(rate, 3))
                  .arg(fixed(100 * rate / bound, 1)));
        print(QStringLiteral("    request to request ") +
              describe(summarize(pace.requestGaps), QStringLiteral(" ms")));
    }

    // One report's processing and drawing, on a shown window whose port is closed.
    ReaderLink idle(PortMap::explicitOnly());
    frmAlign a(idle, [] { return false; });
    a.show();
    if (!QTest::qWaitForWindowExposed(&a))
        print(QStringLiteral("window not exposed; repaint figures are void"));
    print(QStringLiteral("ProcessReport and drawing for one report, %1 calls, marker moving "
                         "between two places")
              .arg(runs));
    for (const Size& size :
         {Size{0, QStringLiteral("9 fields")}, Size{46, QStringLiteral("101 fields")}}) {
        target.setClutterBars(size.clutter);
        target.setNoise(0);
        target.setPosition(21000);
        target.setTilt(0.1);
        const QString low = bodyOf(target.report());
        target.setPosition(24000);
        target.setTilt(-0.3);
        const QString high = bodyOf(target.report());
        target.setPosition(kScanLength / 2.0);
        target.setTilt(0);
        const auto body = [&](int k) -> const QString& { return k % 2 ? high : low; };
        print(QStringLiteral("  %1").arg(size.name));
        print(QStringLiteral("    measurement alone          ") + timeCalls(runs, [&](int k) {
                  volatile qint16 n = measureReport(body(k), false).n;
                  (void)n;
              }));
        print(QStringLiteral("    ProcessReport (pixmaps)    ") +
              timeCalls(runs, [&](int k) { a.ProcessReport(body(k)); }));
        print(QStringLiteral("    ProcessReport + repaint    ") + timeCalls(runs, [&](int k) {
                  a.ProcessReport(body(k));
                  a.Picture1->repaint();
                  a.Picture2->repaint();
                  a.Picture3->repaint();
              }));
    }
    print(
        QStringLiteral("goals: at least 95 % of the bound; ProcessReport and drawing under 1 ms"));
    return 0;
}
