// CPU drawn by the main window while idle and while verifying, against a tick wait that polls.

#include "bench_support.h"
#include "built_programs.h"
#include "main_window_rig.h"
#include "reader_ops/verification_reply.h"

#include <QApplication>
#include <QProcess>
#include <QTimer>
#include <sys/resource.h>

namespace {
using namespace bench;

struct Sample {
    qint64 cpuNs = 0;
    qint64 wallNs = 0;
    qint64 ticks = 0;
    long sleeps = 0; // voluntary context switches: how often the process went to sleep
    int good = 0;    // exchanges that ended with a complete reply
    double percent() const {
        return wallNs > 0 ? 100.0 * static_cast<double>(cpuNs) / static_cast<double>(wallNs) : 0;
    }
};

long voluntarySwitches() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_nvcsw;
}

template <typename Work> Sample measure(frmExec& w, Work work) {
    Sample s;
    const long sleeps0 = voluntarySwitches();
    const qint64 ticks0 = w.link().ticks();
    const qint64 cpu0 = processCpuNs();
    const qint64 wall0 = monotonicNs();
    s.good = work();
    s.wallNs = monotonicNs() - wall0;
    s.cpuNs = processCpuNs() - cpu0;
    s.ticks = w.link().ticks() - ticks0;
    s.sleeps = voluntarySwitches() - sleeps0;
    return s;
}

// The Z3 exchange as runVerification does it, but with a zero-interval timer that keeps the
// tick wait's event loop from ever sleeping: what a polling wait would cost.
bool pollingExchange(ReaderLink& link) {
    QTimer spin;
    spin.start(0);
    const QString reply =
        link.collectReply(QStringLiteral("Z3"), 10, ReaderLink::EarlierInput::Discard);
    return parseVerificationReply(reply).block == VerificationReply::Block::Valid;
}

// Another process's CPU time, all its threads, in ns; -1 when it cannot be read.
qint64 otherProcessCpuNs(qint64 pid) {
    clockid_t clock;
    if (clock_getcpuclockid(static_cast<pid_t>(pid), &clock) != 0)
        return -1;
    timespec ts{};
    if (clock_gettime(clock, &ts) != 0)
        return -1;
    return qint64(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

// ksr-reader-sim as a separate process, so the window's own share can be told apart.
class ExternalReader {
public:
    bool start(const QString& program) {
        process_.start(program, {});
        if (!process_.waitForStarted(5000))
            return false;
        while (!process_.canReadLine()) {
            if (!process_.waitForReadyRead(5000))
                return false;
        }
        devicePath_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
        return !devicePath_.isEmpty();
    }
    ~ExternalReader() {
        process_.terminate();
        if (!process_.waitForFinished(3000))
            process_.kill();
    }
    QString devicePath() const { return devicePath_; }
    qint64 cpuNs() const { return otherProcessCpuNs(process_.processId()); }

private:
    QProcess process_;
    QString devicePath_;
};

void printSample(const QString& what, const Sample& s, int exchanges) {
    QString line = QStringLiteral("  %1 cpu %2 ms / wall %3 ms = %4 % of one core; %5 ticks, "
                                  "%6 sleeps/s")
                       .arg(what.leftJustified(30), fixed(ms(s.cpuNs)), fixed(ms(s.wallNs)),
                            fixed(s.percent(), 3))
                       .arg(s.ticks)
                       .arg(fixed(static_cast<double>(s.sleeps) * 1e9 /
                                  static_cast<double>(std::max<qint64>(s.wallNs, 1))));
    if (exchanges > 0)
        line += QStringLiteral("; %1/%2 complete replies").arg(s.good).arg(exchanges);
    print(line);
}
} // namespace

int main(int argc, char* argv[]) {
    defaultToOffscreen();
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int idleSeconds = intOption(args, QStringLiteral("--idle-seconds"), 10);
    const int exchanges = intOption(args, QStringLiteral("--verifications"), 10);
    const int rounds = intOption(args, QStringLiteral("--rounds"), 3);
    printCommandLine(argc, argv);
    print(QStringLiteral("ports: COM1 = in-process simulated reader, COM2..COM16 unmapped; "
                         "CPU = CLOCK_PROCESS_CPUTIME_ID of this process (window + simulator)"));

    MainWindowRig rig;
    frmExec& w = rig.make(portsFor({{1, rig.com1->devicePath()}}));
    w.Form_Load();
    w.show();
    if (!QTest::qWaitForWindowExposed(&w) || w.lblCOMM->text() != QStringLiteral("Online") ||
        !rig.prompter.shown.isEmpty()) {
        print(QStringLiteral("setup failed: status \"%1\", messages: %2")
                  .arg(w.lblCOMM->text(), rig.prompter.texts().join(QStringLiteral(" | "))));
        return 1;
    }
    runEventLoopFor(500); // let start-up work settle

    QList<double> idle, verify, polling, ratio;
    for (int round = 1; round <= rounds; ++round) {
        print(QStringLiteral("round %1/%2").arg(round).arg(rounds));
        const Sample a = measure(w, [&] {
            runEventLoopFor(idleSeconds * 1000);
            return 0;
        });
        printSample(QStringLiteral("idle %1 s").arg(idleSeconds), a, 0);

        const Sample b = measure(w, [&] {
            int good = 0;
            for (int k = 0; k < exchanges; ++k) {
                rig.prompter.shown.clear();
                w.GetXSW();
                good +=
                    w.lblCOMM->text() == QStringLiteral("Online") && rig.prompter.shown.isEmpty();
            }
            return good;
        });
        printSample(QStringLiteral("%1 x GetXSW (sleeping wait)").arg(exchanges), b, exchanges);

        const Sample c = measure(w, [&] {
            int good = 0;
            for (int k = 0; k < exchanges; ++k)
                good += pollingExchange(w.link());
            return good;
        });
        printSample(QStringLiteral("%1 x Z3 (polling wait)").arg(exchanges), c, exchanges);

        idle << a.percent();
        verify << b.percent();
        polling << c.percent();
        ratio << c.percent() / std::max(b.percent(), 1e-9);
    }

    print(QStringLiteral("medians over %1 rounds (% of one core):").arg(rounds));
    print(QStringLiteral("  idle main window          %1 %   (goal < 1 %)")
              .arg(fixed(median(idle), 3)));
    print(QStringLiteral("  verifications, GetXSW     %1 %   (goal < 1 %)")
              .arg(fixed(median(verify), 3)));
    print(QStringLiteral("  verifications, polling    %1 %").arg(fixed(median(polling), 3)));
    print(QStringLiteral("  polling / GetXSW          %1 x  (median of per-round ratios)")
              .arg(fixed(median(ratio), 0)));

    if (args.contains(QStringLiteral("--no-split")))
        return 0;
    // Same verifications, the reader now in its own process: window and simulator apart.
    rig.window.reset();
    ExternalReader reader;
    if (!reader.start(readerSimProgram())) {
        print(QStringLiteral("split: ksr-reader-sim did not start"));
        return 1;
    }
    frmExec& w2 = rig.make(portsFor({{1, reader.devicePath()}}));
    rig.prompter.shown.clear();
    w2.Form_Load();
    w2.show();
    if (!QTest::qWaitForWindowExposed(&w2) || w2.lblCOMM->text() != QStringLiteral("Online")) {
        print(QStringLiteral("split: setup failed"));
        return 1;
    }
    runEventLoopFor(500);
    print(QStringLiteral("split: COM1 = ksr-reader-sim in its own process (%1)")
              .arg(reader.devicePath()));
    QList<double> own, simulator;
    for (int round = 1; round <= rounds; ++round) {
        const qint64 sim0 = reader.cpuNs();
        const Sample b = measure(w2, [&] {
            int good = 0;
            for (int k = 0; k < exchanges; ++k) {
                rig.prompter.shown.clear();
                w2.GetXSW();
                good +=
                    w2.lblCOMM->text() == QStringLiteral("Online") && rig.prompter.shown.isEmpty();
            }
            return good;
        });
        const qint64 simNs = reader.cpuNs() - sim0;
        printSample(QStringLiteral("%1 x GetXSW, window only").arg(exchanges), b, exchanges);
        const double simPercent =
            100.0 * static_cast<double>(simNs) / static_cast<double>(std::max<qint64>(b.wallNs, 1));
        print(QStringLiteral("  %1 cpu %2 ms = %3 % of one core")
                  .arg(QStringLiteral("  simulator process").leftJustified(30), fixed(ms(simNs)),
                       fixed(simPercent, 3)));
        own << b.percent();
        simulator << simPercent;
    }
    print(QStringLiteral("split medians: window process %1 %, simulator process %2 %")
              .arg(fixed(median(own), 3), fixed(median(simulator), 3)));
    return 0;
}
