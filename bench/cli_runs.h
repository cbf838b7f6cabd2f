#pragma once

// The commands without a window timed as a script runs them: simulated readers in processes of
// their own, the utility forked with no display, its wall and CPU time taken from wait4().

#include "bench_support.h"
#include "built_programs.h"

#include <QFileInfo>
#include <QProcess>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace bench {

// ksr-reader-sim in a process of its own, so the utility's CPU time is its own.
class SimProcess {
public:
    bool start(const QString& link) {
        process_.start(readerSimProgram(), {QStringLiteral("--link"), link});
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
inline Run runOnce(const QStringList& arguments, const QString& outputPath, int expectedOk) {
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
    // A negative count: any outcome of the ports will do, as long as the command ended.
    run.ok = WIFEXITED(status) &&
             (expectedOk < 0 || (WEXITSTATUS(status) == 0 && text.count("  ok  ") == expectedOk));
    if (!run.ok)
        print(QStringLiteral("run failed:\n") + QString::fromLocal8Bit(text));
    return run;
}

inline void measure(const QString& what, const QStringList& arguments, const QString& outputPath,
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
} // namespace bench
