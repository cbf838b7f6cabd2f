// How late the event loop answers while a device floods the line at full pseudo-terminal speed,
// in each operation and window.

#include "align/frm_align.h"
#include "bench_support.h"
#include "decode/frm_decode.h"
#include "latency_probe.h"
#include "main_window_rig.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

namespace {
using namespace bench;

constexpr int kProbeMs = 10;

// The flooding reader lives in a thread of its own, as a real device would be outside the
// program: the figures are the program's, not the simulator's.
class FloodThread {
public:
    FloodThread() {
        thread_.start();
        context_.moveToThread(&thread_);
        inThread([this] {
            reader_ = new PtyReader;
            if (!reader_->start())
                qFatal("cannot start the simulated reader");
        });
    }
    ~FloodThread() {
        inThread([this] { delete reader_; });
        thread_.quit();
        thread_.wait();
    }
    QString devicePath() {
        QString path;
        inThread([&] { path = reader_->devicePath(); });
        return path;
    }
    void start() {
        inThread([this] {
            reader_->setSilent(true);
            reader_->startFlood(qint64(1) << 50);
        });
    }
    qint64 stop() {
        qint64 sent = 0;
        inThread([&] {
            reader_->stopFlood();
            reader_->setSilent(false);
            sent = reader_->floodSent();
        });
        return sent;
    }

private:
    void inThread(const std::function<void()>& work) {
        QMetaObject::invokeMethod(&context_, work, Qt::BlockingQueuedConnection);
    }
    QThread thread_;
    QObject context_;
    PtyReader* reader_ = nullptr;
};

void report(const QString& name, const LatencyProbe& probe, qint64 sent, double seconds,
            qint64 cpuNs, int operations, qint64 pending) {
    const QList<double>& late = probe.lateMs;
    print(
        QStringLiteral("%1: late p50 %2 ms  p90 %3 ms  p99 %4 ms  max %5 ms  (n=%6)  "
                       "flood %7 MB/s  CPU %8 %  operations %9  most unread %10 KiB")
            .arg(name.leftJustified(14), fixed(percentile(late, 0.5), 2),
                 fixed(percentile(late, 0.9), 2), fixed(percentile(late, 0.99), 2),
                 fixed(percentile(late, 1.0), 2))
            .arg(late.size())
            .arg(fixed(double(sent) / 1e6 / seconds), fixed(100.0 * double(cpuNs) / 1e9 / seconds))
            .arg(operations)
            .arg(pending / 1024));
}
} // namespace

int main(int argc, char* argv[]) {
    defaultToOffscreen();
    QApplication app(argc, argv);
    printCommandLine(argc, argv);
    const int seconds = intOption(app.arguments(), QStringLiteral("--seconds"), 10);

    FloodThread flood;
    ScriptedPrompter prompter;
    QTemporaryDir dir;
    frmExec window(portsFor({{1, flood.devicePath()}}), dir.filePath(QStringLiteral("report.txt")),
                   prompter);
    window.Form_Load();
    window.show();

    // Each scenario repeats its operation until the time is up; the flood runs throughout.
    const auto run = [&](const QString& name, const std::function<void()>& operation) {
        qint64 pending = 0;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout,
                         [&] { pending = qMax(pending, window.link().pendingInput()); });
        watch.start(kProbeMs);
        flood.start();
        LatencyProbe probe;
        const qint64 cpu0 = processCpuNs();
        const qint64 t0 = monotonicNs();
        int operations = 0;
        while (monotonicNs() - t0 < qint64(seconds) * 1'000'000'000) {
            operation();
            ++operations;
        }
        const double elapsed = double(monotonicNs() - t0) / 1e9;
        const qint64 cpu = processCpuNs() - cpu0;
        probe.timer.stop();
        const qint64 sent = flood.stop();
        report(name, probe, sent, elapsed, cpu, operations, pending);
        // The line is quiet again: the reader must answer as before.
        if (window.GetXSW() != VerificationOutcome::SettingsRead)
            print(QStringLiteral("  !! no answer after the flood"));
    };
    const auto windowFor = [&](QDialog& dialog, const std::function<void()>& open) {
        return [&dialog, open, seconds] {
            QTimer::singleShot(seconds * 1000, Qt::PreciseTimer, &dialog,
                               [&dialog] { dialog.reject(); });
            open();
        };
    };

    run(QStringLiteral("idle"), [] { runEventLoopFor(1000); });
    run(QStringLiteral("verification"), [&] { window.GetXSW(); });
    run(QStringLiteral("identification"), [&] { window.cmdSymbols->click(); });
    run(QStringLiteral("align window"),
        windowFor(window.alignWindow(), [&] { window.cmdAlign_Click(); }));
    run(QStringLiteral("decode window"),
        windowFor(window.decodeWindow(), [&] { window.cmdDecode_Click(); }));
    return 0;
}
