// `ksr-utility verify all` on sixteen simulated readers, and `verify COM1` on one: wall time from
// start to exit, CPU time and peak memory of the utility's process.

#include "bench_support.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <fcntl.h>
#include <memory>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {
using namespace bench;

// ksr-reader-sim in a process of its own, so the utility's CPU time is its own.
class SimProcess {
public:
    bool start(const QString& link) {
        process_.start(QStringLiteral(KSR_READER_SIM_PATH), {QStringLiteral("--link"), link});
        return process_.waitForStarted(5000) && process_.waitForReadyRead(5000);
    }
    ~SimProcess() {
        process_.terminate();
        if (!process_.waitForFinished(3000))
            process_.kill();
    }

private:
    QProcess process_;
};

struct Run {
    bool ok = false;
    double wallMs = 0;
    double cpuMs = 0;
    double maxrssMb = 0;
};

// One run as a script runs it: fork, exec with no display in the environment, wait4.
Run runOnce(const QStringList& arguments, const QString& outputPath, int expectedOk) {
    QList<QByteArray> words;
    for (const QString& a : arguments)
        words << a.toLocal8Bit();
    std::vector<char*> argv;
    for (QByteArray& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    QByteArray path = "PATH=/usr/bin:/bin";
    QByteArray home = "HOME=" + QFile::encodeName(QFileInfo(outputPath).path());
    char* envp[] = {path.data(), home.data(), nullptr};
    const QByteArray output = QFile::encodeName(outputPath);

    Run run;
    const qint64 start = monotonicNs();
    const pid_t pid = ::fork();
    if (pid < 0)
        return run;
    if (pid == 0) {
        const int fd = ::open(output.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(fd, STDOUT_FILENO);
        ::dup2(fd, STDERR_FILENO);
        ::execve(argv[0], argv.data(), envp);
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid)
        return run;
    run.wallMs = ms(monotonicNs() - start);
    run.cpuMs = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    run.maxrssMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
    QFile file(outputPath);
    const QByteArray text = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && text.count("  ok  ") == expectedOk;
    if (!run.ok)
        print(QStringLiteral("run failed:\n") + QString::fromLocal8Bit(text));
    return run;
}

void measure(const QString& what, const QStringList& arguments, const QString& outputPath,
             int readers, int runs) {
    QList<double> wall, cpu, rss;
    int failed = 0;
    for (int k = 0; k < runs; ++k) {
        const Run run = runOnce(arguments, outputPath, readers);
        if (!run.ok) {
            ++failed;
            continue;
        }
        wall << run.wallMs;
        cpu << run.cpuMs;
        rss << run.maxrssMb;
    }
    print(what + QStringLiteral("  (%1 failed runs)").arg(failed));
    print(QStringLiteral("  wall start to exit: ") +
          describe(summarize(wall), QStringLiteral(" ms")));
    print(QStringLiteral("  CPU of the process: ") +
          describe(summarize(cpu), QStringLiteral(" ms")));
    print(QStringLiteral("  peak memory:        ") +
          describe(summarize(rss), QStringLiteral(" MB")));
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int runs = intOption(args, QStringLiteral("--runs"), 10);
    const qsizetype at = args.indexOf(QStringLiteral("--utility"));
    const QString utility =
        at >= 0 && at + 1 < args.size() ? args[at + 1] : QStringLiteral(KSR_UTILITY_PATH);
    printCommandLine(argc, argv);
    print(QStringLiteral("program: ") + utility);
    print(QStringLiteral("readers: 16 ksr-reader-sim processes on ptys, COM1..COM16 mapped with "
                         "--port; the utility runs with only PATH and HOME set (no display)"));

    QTemporaryDir dir;
    std::vector<std::unique_ptr<SimProcess>> sims;
    QStringList portOptions;
    for (int n = 1; n <= 16; ++n) {
        const QString link = dir.filePath(QStringLiteral("reader%1").arg(n));
        sims.push_back(std::make_unique<SimProcess>());
        if (!sims.back()->start(link)) {
            print(QStringLiteral("cannot start ksr-reader-sim"));
            return 1;
        }
        portOptions << QStringLiteral("--port") << QStringLiteral("COM%1=%2").arg(n).arg(link);
    }
    const QString output = dir.filePath(QStringLiteral("output.txt"));
    measure(QStringLiteral("verify all (16 readers):"),
            QStringList{utility, QStringLiteral("verify"), QStringLiteral("all")} + portOptions,
            output, 16, runs);
    measure(QStringLiteral("verify COM1 (one reader):"),
            QStringList{utility, QStringLiteral("verify"), QStringLiteral("COM1"), portOptions[0],
                        portOptions[1]},
            output, 1, runs);
    return 0;
}
