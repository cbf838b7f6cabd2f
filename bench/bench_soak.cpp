// The program left running on a bad line: every operation in turn against a simulated reader
// that mixes good replies, noise, silence and disconnects. Counts crashes and hangs, and
// follows memory, event-loop latency and CPU per operation.

#include "align/frm_align.h"
#include "bench_support.h"
#include "decode/frm_decode.h"
#include "latency_probe.h"
#include "main_window_rig.h"
#include "symbols/frm_symbols.h"

#include <QApplication>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>

#include <atomic>
#include <thread>
#include <unistd.h>

namespace {
using namespace bench;

constexpr int kProbeMs = 10;
constexpr int kWindowHoldMs = 3000; // how long the alignment and decode windows stay up
constexpr int kDialogHoldMs = 500;  // the symbology dialog, before "OK"
constexpr int kAbortAfterS = 60;    // an operation this late is stuck for good

enum class Fault { Good, Noise, Silent, Disconnect };

struct Operation {
    const char* name;
    int designMs; // what it takes on a good line, its message boxes answered at once
};
const Operation kOperations[] = {
    {"verification", 560},
    {"default batch", 50},
    {"save", 860},
    {"identification", 1500},
    {"symbology dialog", 1100},
    {"alignment window", kWindowHoldMs},
    {"decode window", kWindowHoldMs},
};
constexpr int kOperationCount = int(std::size(kOperations));

QString latencyLine(const QList<double>& late) {
    return QStringLiteral("p50 %1 ms  p90 %2 ms  p99 %3 ms  max %4 ms  (n=%5)")
        .arg(fixed(percentile(late, 0.5), 2), fixed(percentile(late, 0.9), 2),
             fixed(percentile(late, 0.99), 2), fixed(percentile(late, 1.0), 2))
        .arg(late.size());
}

// VmRSS and VmHWM of this process, in KiB.
std::pair<qint64, qint64> residentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    qint64 rss = 0;
    qint64 hwm = 0;
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            const QList<QByteArray> words = line.simplified().split(' ');
            if (words.size() >= 2 && words[0] == "VmRSS:")
                rss = words[1].toLongLong();
            else if (words.size() >= 2 && words[0] == "VmHWM:")
                hwm = words[1].toLongLong();
        }
    }
    return {rss, hwm};
}

// Counts an operation as hung when it runs far past its design time; ends the process when
// it never comes back, so the parent sees it.
class Watchdog {
public:
    Watchdog() : thread_([this] { watch(); }) {}
    ~Watchdog() {
        stop_ = true;
        thread_.join();
    }
    void begin(int operation, int designMs) {
        operation_ = operation;
        limitMs_ = 10 * designMs + 5000;
        startNs_ = monotonicNs();
    }
    void end() { startNs_ = 0; }
    int hangs() const { return hangs_; }

private:
    void watch() {
        qint64 flagged = 0;
        while (!stop_) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            const qint64 start = startNs_;
            if (start == 0)
                continue;
            const qint64 runningMs = (monotonicNs() - start) / 1'000'000;
            if (runningMs > limitMs_ && flagged != start) {
                flagged = start;
                ++hangs_;
                std::fprintf(stderr, "HANG: %s running for %lld ms\n", kOperations[operation_].name,
                             static_cast<long long>(runningMs));
            }
            if (runningMs > kAbortAfterS * 1000) {
                std::fprintf(stderr, "stuck for good: %s\n", kOperations[operation_].name);
                std::fflush(stderr);
                _exit(3);
            }
        }
    }
    std::atomic<bool> stop_{false};
    std::atomic<int> operation_{0};
    std::atomic<int> limitMs_{0};
    std::atomic<qint64> startNs_{0};
    std::atomic<int> hangs_{0};
    std::thread thread_;
};

struct OperationFigures {
    int runs = 0;
    qint64 cpuNs = 0;
    QList<double> wallMs;
};

class Soak {
public:
    explicit Soak(quint32 seed) : rng_(seed) {
        linkPath_ = rig_.dir.filePath(QStringLiteral("reader"));
        QString error;
        if (!reader().makeLink(linkPath_, &error))
            qFatal("cannot link the simulated reader: %s", qPrintable(error));
        reader().model().configuration().presentBarcode({1, "SOAK"});
        w_ = &rig_.make(portsFor({{1, linkPath_}}));
        w_->show();
        w_->Form_Load();
        closer_.setInterval(20);
        QObject::connect(&closer_, &QTimer::timeout, [this] { closeWhenHeld(); });
        closer_.start();
    }

    void runFor(int minutes) {
        const auto [rssStart, hwmStart] = residentKiB();
        print(QStringLiteral("start: VmRSS %1 KiB  VmHWM %2 KiB").arg(rssStart).arg(hwmStart));
        const qint64 startNs = monotonicNs();
        const qint64 endNs = startNs + qint64(minutes) * 60'000'000'000;
        qint64 nextMinuteNs = startNs + 60'000'000'000;
        int minute = 0;
        qsizetype minuteFrom = 0;
        for (int k = 0; monotonicNs() < endNs; k = (k + 1) % kOperationCount) {
            runOne(k);
            if (monotonicNs() >= nextMinuteNs) {
                ++minute;
                nextMinuteNs += 60'000'000'000;
                const auto [rss, hwm] = residentKiB();
                print(QStringLiteral("minute %1: VmRSS %2 KiB  VmHWM %3 KiB  operations %4  "
                                     "hangs %5  latency %6")
                          .arg(minute)
                          .arg(rss)
                          .arg(hwm)
                          .arg(operations_)
                          .arg(watchdog_.hangs())
                          .arg(latencyLine(probe_.lateMs.mid(minuteFrom))));
                minuteFrom = probe_.lateMs.size();
            }
        }
        const auto [rssEnd, hwmEnd] = residentKiB();
        print(QStringLiteral("end: VmRSS %1 KiB  VmHWM %2 KiB  growth VmRSS %3 KiB  VmHWM %4 KiB")
                  .arg(rssEnd)
                  .arg(hwmEnd)
                  .arg(rssEnd - rssStart)
                  .arg(hwmEnd - hwmStart));
        printFigures(double(monotonicNs() - startNs) / 1e9);
    }

private:
    PtyReader& reader() { return *rig_.com1; }

    Fault pickFault() {
        const int roll = int(rng_.bounded(100));
        return roll < 55   ? Fault::Good
               : roll < 70 ? Fault::Noise
               : roll < 85 ? Fault::Silent
                           : Fault::Disconnect;
    }

    void runOne(int k) {
        const Fault fault = pickFault();
        reader().setNoise(fault == Fault::Noise);
        reader().setSilent(fault == Fault::Silent);
        QTimer pull;
        pull.setSingleShot(true);
        QObject::connect(&pull, &QTimer::timeout, [this] {
            reader().hangUp();
            ++pulls_;
        });
        if (fault == Fault::Disconnect)
            pull.start(int(rng_.bounded(kOperations[k].designMs + 1)));

        current_ = k;
        heldSinceNs_ = 0;
        const qint64 cpu = processCpuNs();
        const qint64 wall = monotonicNs();
        watchdog_.begin(k, kOperations[k].designMs);
        start(k);
        watchdog_.end();
        OperationFigures& figures = figures_[k];
        ++figures.runs;
        figures.cpuNs += processCpuNs() - cpu;
        figures.wallMs << ms(monotonicNs() - wall);
        ++operations_;
        ++faults_[int(fault)];
        current_ = -1;
        pull.stop();

        reader().setNoise(false);
        reader().setSilent(false);
        if (!reader().isRunning() || !w_->link().isOpen())
            recover();
    }

    void start(int k) {
        switch (k) {
        case 0:
            emit w_->cboComPorts->activated(w_->cboComPorts->currentIndex());
            break;
        case 1:
            w_->cmdDefaults->click();
            break;
        case 2:
            w_->cmdSave->click();
            break;
        case 3:
            w_->cmdSymbols->click();
            break;
        case 4:
            w_->cmdSetup->click();
            break;
        case 5:
            w_->cmdAlign->click();
            break;
        case 6:
            w_->cmdDecode_Click(); // its button stays disabled
            break;
        }
    }

    // The operator's side of the modal windows: close each once it has been up long enough.
    void closeWhenHeld() {
        QDialog* dialog = current_ == 4   ? static_cast<QDialog*>(&w_->symbolsWindow())
                          : current_ == 5 ? static_cast<QDialog*>(&w_->alignWindow())
                          : current_ == 6 ? static_cast<QDialog*>(&w_->decodeWindow())
                                          : nullptr;
        if (!dialog || !dialog->isVisible())
            return;
        if (heldSinceNs_ == 0)
            heldSinceNs_ = monotonicNs();
        const int holdMs = current_ == 4 ? kDialogHoldMs : kWindowHoldMs;
        if (monotonicNs() - heldSinceNs_ < qint64(holdMs) * 1'000'000)
            return;
        if (current_ == 4)
            w_->symbolsWindow().cmdOK_Click();
        else
            dialog->reject();
    }

    // A new device on the same path, and the port chosen again; it must verify cleanly.
    void recover() {
        ++recoveries_;
        if (!reader().isRunning()) {
            QString error;
            if (!reader().restart(&error))
                qFatal("cannot restart the simulated reader: %s", qPrintable(error));
        }
        rig_.prompter.shown.clear();
        emit w_->cboComPorts->activated(w_->cboComPorts->currentIndex());
        if (w_->lblCOMM->text() != QStringLiteral("Online") || !rig_.prompter.shown.isEmpty())
            ++failedRecoveries_;
        rig_.prompter.shown.clear();
    }

    void printFigures(double seconds) {
        print(QStringLiteral("ran %1 s: %2 operations (good %3, noise %4, silent %5, "
                             "disconnect %6; %7 devices pulled mid-operation), %8 recoveries, "
                             "%9 failed")
                  .arg(fixed(seconds, 0))
                  .arg(operations_)
                  .arg(faults_[0])
                  .arg(faults_[1])
                  .arg(faults_[2])
                  .arg(faults_[3])
                  .arg(pulls_)
                  .arg(recoveries_)
                  .arg(failedRecoveries_));
        print(QStringLiteral("hangs: %1").arg(watchdog_.hangs()));
        print(QStringLiteral("event-loop latency (%1 ms timer, lateness): %2")
                  .arg(kProbeMs)
                  .arg(latencyLine(probe_.lateMs)));
        print(QStringLiteral("CPU per operation (process, in-process reader included):"));
        for (int k = 0; k < kOperationCount; ++k) {
            const OperationFigures& f = figures_[k];
            if (f.runs == 0)
                continue;
            print(QStringLiteral("  %1 runs %2  CPU %3 ms  wall %4")
                      .arg(QString::fromLatin1(kOperations[k].name).leftJustified(17))
                      .arg(f.runs, 4)
                      .arg(fixed(ms(f.cpuNs) / f.runs, 2))
                      .arg(describe(summarize(f.wallMs), QStringLiteral(" ms"), 0)));
        }
    }

    MainWindowRig rig_;
    frmExec* w_ = nullptr;
    QString linkPath_;
    QRandomGenerator rng_;
    LatencyProbe probe_{kProbeMs};
    Watchdog watchdog_;
    QTimer closer_;
    int current_ = -1;
    qint64 heldSinceNs_ = 0;
    OperationFigures figures_[kOperationCount];
    int faults_[4] = {};
    int operations_ = 0;
    int pulls_ = 0;
    int recoveries_ = 0;
    int failedRecoveries_ = 0;
};

// The soak runs in a child, so a crash is seen and told rather than taking the figures along.
int superviseChild(int argc, char* argv[], int minutes) {
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    arguments << QStringLiteral("--child");
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(app.applicationFilePath(), arguments);
    if (!child.waitForStarted())
        qFatal("cannot start the soak");
    const int limitMs = (minutes * 60 + 2 * kAbortAfterS) * 1000;
    if (!child.waitForFinished(limitMs)) {
        child.kill();
        child.waitForFinished();
        print(QStringLiteral("result: the soak did not end in time (a hang); killed"));
        return 1;
    }
    if (child.exitStatus() == QProcess::CrashExit) {
        print(QStringLiteral("result: CRASH (%1)").arg(child.errorString()));
        return 1;
    }
    print(child.exitCode() == 0 ? QStringLiteral("result: ended normally, no crash")
                                : QStringLiteral("result: exit code %1").arg(child.exitCode()));
    return child.exitCode();
}
} // namespace

int main(int argc, char* argv[]) {
    defaultToOffscreen();
    QStringList arguments;
    for (int k = 1; k < argc; ++k)
        arguments << QString::fromLocal8Bit(argv[k]);
    const int minutes = intOption(arguments, QStringLiteral("--minutes"), 10);
    const auto seed = quint32(intOption(arguments, QStringLiteral("--seed"), 1));
    if (!arguments.contains(QStringLiteral("--child"))) {
        printCommandLine(argc, argv);
        return superviseChild(argc, argv, minutes);
    }
    QApplication app(argc, argv);
    Soak soak(seed);
    soak.runFor(minutes);
    return 0;
}
