#pragma once

// The built ksr-utility run as a user runs it (no display, no Qt platform in its environment)
// against ksr-reader-sim processes on pseudo-terminals.
#include "built_programs.h"

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

inline constexpr int kRunMs = 30000;

// One simulated reader in its own process, reached through a symlink.
class SimProcess {
public:
    SimProcess(const QString& dir, int n, const QStringList& options)
        : link(QStringLiteral("%1/reader%2").arg(dir).arg(n)),
          record(QStringLiteral("%1/received%2").arg(dir).arg(n)) {
        process.start(readerSimProgram(),
                      QStringList{QStringLiteral("--link"), link, QStringLiteral("--record"),
                                  record, QStringLiteral("--verbose")} +
                          options);
        // Ready once it has printed its device.
        started = process.waitForStarted() && process.waitForReadyRead(kRunMs);
    }
    ~SimProcess() {
        process.kill();
        process.waitForFinished();
    }
    // Ends the simulator; every byte it received, exactly.
    // Waits until the simulator says on standard error that it heard `what`.
    bool waitToHear(const QByteArray& what) {
        process.setReadChannel(QProcess::StandardError);
        QByteArray heard;
        while (!heard.contains(what)) {
            if (!process.waitForReadyRead(kRunMs))
                return false;
            heard += process.readAllStandardError();
        }
        return true;
    }
    QByteArray received() {
        process.terminate();
        process.waitForFinished();
        QFile file(record);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no record)");
    }

    QProcess process;
    QString link;
    QString record;
    bool started = false;
};

struct Readers {
    std::vector<std::unique_ptr<SimProcess>> sims;
    bool start(const QString& dir, const QList<QStringList>& options) {
        for (int k = 0; k < options.size(); ++k)
            sims.push_back(std::make_unique<SimProcess>(dir, k + 1, options[k]));
        for (const auto& sim : sims) {
            if (!sim->started)
                return false;
        }
        return true;
    }
    QStringList portOptions() const {
        QStringList words;
        for (std::size_t k = 0; k < sims.size(); ++k)
            words << QStringLiteral("--port")
                  << QStringLiteral("COM%1=%2").arg(k + 1).arg(sims[k]->link);
        return words;
    }
};

// Nothing of a desktop: no DISPLAY, no WAYLAND_DISPLAY, no QT_QPA_PLATFORM.
// `environment`: more NAME=value settings (a desktop's language, say). With `shell`, the utility
// runs inside `sh -c`: `shell` holds "-c" and the script, in which the utility is "$0".
inline void startUtility(QProcess& process, const QStringList& arguments, const QString& home,
                         const QString& loggingRules = {}, const QStringList& environment = {},
                         const QStringList& shell = {}) {
    QProcessEnvironment env;
    env.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
    env.insert(QStringLiteral("HOME"), home);
    // No serial device of this machine; port numbers kept in the test's own folder.
    env.insert(QStringLiteral("KSR_DEVICE_LIST"), QStringLiteral("/dev/null"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    if (!loggingRules.isEmpty())
        env.insert(QStringLiteral("QT_LOGGING_RULES"), loggingRules);
    // A sanitizer build reports where the suite looks.
    for (const QString& name : {QStringLiteral("ASAN_OPTIONS"), QStringLiteral("UBSAN_OPTIONS")}) {
        if (qEnvironmentVariableIsSet(qPrintable(name)))
            env.insert(name, qEnvironmentVariable(qPrintable(name)));
    }
    for (const QString& setting : environment)
        env.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
    process.setProcessEnvironment(env);
    if (shell.isEmpty())
        process.start(utilityProgram(), arguments);
    else
        process.start(QStringLiteral("/bin/sh"), shell + QStringList{utilityProgram()} + arguments);
    process.closeWriteChannel(); // standard input is no terminal
}

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

inline Run runUtility(const QStringList& arguments, const QString& home,
                      const QString& loggingRules = {}, const QStringList& environment = {},
                      const QStringList& shell = {}) {
    QProcess process;
    startUtility(process, arguments, home, loggingRules, environment, shell);
    if (!process.waitForFinished(kRunMs) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

inline QString describe(const Run& run) {
    return QStringLiteral("exit %1\n--- stdout\n%2--- stderr\n%3")
        .arg(run.exitCode)
        .arg(run.out, run.err);
}
