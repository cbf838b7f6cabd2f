#include "cli/run_command.h"

#include "cli/align_session.h"
#include "cli/metrics_file.h"
#include "cli/output_check.h"
#include "cli/port_job.h"
#include "cli/port_listing.h"
#include "cli/prometheus_text.h"
#include "cli/terminal.h"
#include "cli/text_table.h"
#include "link/line_trace.h"
#include "ports/port_catalog.h"
#include "ports/port_probe.h"
#include "program/output_file.h"
#include "program/standard_output.h"
#include "program/termination_signals.h"
#include "reader_ops/permanent_save.h"
#include "reader_ops/symbology_identification.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonObject>
#include <QTextStream>
#include <QTimer>

#include <cstdio>

#include <memory>
#include <vector>

namespace {
// How long a command waits for another program that is writing the remembered numbers.
constexpr int kCommandLockWaitMs = 30000;

// How often align looks whether its standard output is still read.
constexpr int kOutputWatchMs = 200;

void printError(const QString& text) {
    QTextStream(stderr) << "ksr-utility: " << text << Qt::endl;
}

void printStoreNotes(PortCatalog& catalog) {
    const QString notes = catalog.takeStoreProblem();
    for (const QString& line : notes.split(u'\n', Qt::SkipEmptyParts))
        printError(line);
}

// --metrics: the run's results for node_exporter; a file that cannot be written makes the exit
// status at least 1, and the results stand.
int writeMetrics(const CommandLine& options, const QList<PortResult>& results,
                 const QElapsedTimer& run, int status) {
    if (options.metricsPath.isEmpty())
        return status;
    const VerifyRun facts{static_cast<double>(run.elapsed()) / 1000.0,
                          static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0};
    QString error;
    if (writeMetricsFile(options.metricsPath, prometheusText(results, facts), &error))
        return status;
    printError(
        QStringLiteral("the metrics cannot be written to %1: %2").arg(options.metricsPath, error));
    return qMax(status, 1);
}

// A command that ends with no port's result: the reason on standard error and, for a script
// that asked for one, a document all the same.
int endWithoutResults(const CommandLine& options, int status, const QString& reason) {
    printError(reason);
    if (options.json) {
        QTextStream(stdout)
            << resultJson(options.command, {}, status, reason).toJson(QJsonDocument::Indented);
    }
    return status;
}

// Without --yes, the window's question on the terminal; no terminal, no save.
std::optional<int> confirmSave(const CommandLine& options, const QList<PortTarget>& targets) {
    // No terminal to ask on is a usage error: one line, no document.
    if (options.yes)
        return std::nullopt;
    if (!standardInputIsTerminal()) {
        QTextStream(stderr) << usageError(QStringLiteral("save asks before it saves, and there is "
                                                         "no terminal to ask on: add --yes"))
                            << Qt::endl;
        return 2;
    }
    QStringList ports;
    for (const PortTarget& target : targets)
        ports << target.label;
    QString question = saveConfirmationPrompt().text;
    question.replace(u'\r', u'\n');
    question += QStringLiteral("\nSave on %1? [y/N] ").arg(ports.join(QStringLiteral(", ")));
    const QString answer = askOnTerminal(question).trimmed().toLower();
    if (answer == QStringLiteral("y") || answer == QStringLiteral("yes"))
        return std::nullopt;
    return endWithoutResults(options, 1, QStringLiteral("nothing was saved"));
}

void printResults(const CommandLine& options, const QList<PortResult>& results, int status) {
    QTextStream err(stderr);
    for (const QString& line : warningLines(results))
        err << line << Qt::endl;
    QTextStream out(stdout);
    if (options.json)
        out << resultJson(options.command, results, status, {}).toJson(QJsonDocument::Indented);
    else
        out << resultTable(options.command, results);
    out.flush();
}

// Where each target's report goes; empty for none.
QString reportPathFor(const CommandLine& options, const PortTarget& target) {
    if (!options.reportPath.isEmpty())
        return options.reportPath;
    if (!options.reportDir.isEmpty())
        return QDir(options.reportDir).filePath(reportFileName(target));
    return {};
}

int runPortJobs(const CommandLine& options, const QList<PortTarget>& targets, LineTrace* trace) {
    QElapsedTimer run;
    run.start();
    if (!options.reportDir.isEmpty())
        QDir().mkpath(options.reportDir);
    LineWaiter enter;
    std::vector<std::unique_ptr<PortJob>> jobs;
    QEventLoop loop;
    int running = 0;
    for (const PortTarget& target : targets) {
        PortJob::Settings settings;
        settings.command = options.command;
        settings.enable = options.enable;
        settings.disable = options.disable;
        settings.reportPath = reportPathFor(options, target);
        settings.expectedWords = options.expectedWords;
        settings.expectPath = options.expectPath;
        if (options.command == SubCommand::Identify && !options.noPrompt) {
            settings.presentBarcode = [&enter](const QString& port, std::function<void()> ready) {
                QTextStream(stderr) << presentBarcodePrompt().text.section(u'\r', 0, 0) << " on "
                                    << port << ", then press Enter." << Qt::endl;
                enter.wait(std::move(ready));
            };
        }
        auto job = std::make_unique<PortJob>(target, settings, trace);
        QObject::connect(job.get(), &PortJob::finished, &loop, [&] {
            if (--running == 0)
                loop.quit();
        });
        jobs.push_back(std::move(job));
        ++running;
    }
    for (const auto& job : jobs)
        job->start();
    if (running > 0)
        loop.exec();

    QList<PortResult> results;
    for (const auto& job : jobs) {
        if (!job->isLeftOut())
            results << job->result();
    }
    if (results.isEmpty()) {
        return endWithoutResults(options, writeMetrics(options, results, run, 3),
                                 QStringLiteral("all: none of COM1 to COM16 is there"));
    }
    const int status = writeMetrics(options, results, run, exitStatus(results));
    printResults(options, results, status);
    return status;
}

int runAlign(const CommandLine& options, const PortTarget& target, LineTrace* trace) {
    AlignSession session(target, options.reports, options.sideLook, options.timeoutSeconds, trace);
    TerminationSignals termination;
    if (!termination.install())
        printError(QStringLiteral("cannot catch Ctrl-C; end with --reports N instead"));
    QObject::connect(&termination, &TerminationSignals::received, &session, &AlignSession::stop);

    QTextStream out(stdout);
    QJsonArray reports;
    bool headerShown = false;
    QObject::connect(&session, &AlignSession::measured, &session,
                     [&](const AlignmentReading& reading) {
                         if (options.json) {
                             reports.append(alignmentJson(reading));
                             return;
                         }
                         if (!headerShown)
                             out << alignmentHeader() << Qt::endl;
                         headerShown = true;
                         out << alignmentLine(reading) << Qt::endl;
                         if (std::ferror(stdout))
                             session.stop();
                     });
    // Nobody reads the lines any more: end as on Ctrl-C, so the reader leaves alignment mode.
    QTimer outputWatch;
    outputWatch.setInterval(kOutputWatchMs);
    QString outputGone;
    QObject::connect(&outputWatch, &QTimer::timeout, &session, [&session, &outputGone] {
        if (standardOutputGone(&outputGone) || std::ferror(stdout))
            session.stop();
    });
    outputWatch.start();
    QObject::connect(&session, &AlignSession::noReports, &session, [&target] {
        printError(target.label + QStringLiteral(": no reports from the reader"));
    });
    QEventLoop loop;
    QObject::connect(&session, &AlignSession::finished, &loop, &QEventLoop::quit);
    session.start();
    if (!session.isFinished())
        loop.exec();

    const QList<PortResult> results{session.result()};
    if (options.json) {
        QJsonObject document = resultJson(options.command, results).object();
        QJsonArray ports = document.value(QStringLiteral("ports")).toArray();
        QJsonObject port = ports.at(0).toObject();
        port.insert(QStringLiteral("reports"), reports);
        ports.replace(0, port);
        document.insert(QStringLiteral("ports"), ports);
        out << QJsonDocument(document).toJson(QJsonDocument::Indented);
    } else if (!session.result().error.isEmpty()) {
        printError(
            QStringLiteral("%1 (%2): %3")
                .arg(target.label, escapedControls(target.address.text()), session.result().error));
    }
    out.flush();
    // Lines nobody read are no success, though no write failed.
    if (!outputGone.isEmpty() && !std::ferror(stdout)) {
        printError(QStringLiteral("align ended: ") + outputGone);
        return qMax(exitStatus(results), 1);
    }
    return exitStatus(results);
}

} // namespace

// ports assign COMn DEVICE, ports free COMn, then the table.
int runPorts(const CommandLine& options, PortCatalog& catalog) {
    int status = 0;
    if (options.portsEdit) {
        const ComPort port = options.portsEdit->port;
        const PortAddress& address = options.portsEdit->address;
        QString error;
        if (!catalog.apply({{port, address}}, &error)) {
            // A file that cannot be used has been named already.
            printError(catalog.storeNotes().contains(error) ? QStringLiteral("nothing was stored")
                                                            : error);
            status = 1;
        } else if (printStoreNotes(catalog); !options.json) {
            QTextStream(stdout)
                << (address.isEmpty()
                        ? QStringLiteral("%1 is free.\n").arg(port.label())
                        : QStringLiteral("%1 is %2 from now on.\n\n")
                              .arg(port.label(),
                                   escapedControls(catalog.numbering().port(port).address.text())));
        }
    }
    if (options.json)
        QTextStream(stdout) << portListingJson(catalog).toJson(QJsonDocument::Indented);
    else
        QTextStream(stdout) << portListing(catalog);
    return status;
}

int runCommand(const CommandLine& options) {
    // COM1 to COM16: the devices found, numbered as remembered, --port over all of them.
    // A command may wait its turn: sixteen `ports assign` at once must all be stored.
    PortStore store(PortStore::defaultPath());
    store.setLockWaitMs(kCommandLockWaitMs);
    PortCatalog catalog(systemDeviceList(), store, options.ports.mapped());
    printStoreNotes(catalog);
    const PortMap ports = catalog.portMap();
    if (options.command == SubCommand::ListPorts)
        return runPorts(options, catalog);
    QString error;
    const auto resolved = resolvePorts(options.portArguments, ports, &error);
    if (!resolved) {
        QTextStream(stderr) << usageError(error) << Qt::endl;
        return 2;
    }
    QList<PortTarget> targets = *resolved;
    QStringList reports;
    for (const PortTarget& target : targets) {
        if (const QString path = reportPathFor(options, target); !path.isEmpty())
            reports << path;
    }
    QString wrong = outputsProblem(reports, options.reportDir, options.tracePath);
    if (const QString problem =
            options.metricsPath.isEmpty() ? QString() : outputFileProblem(options.metricsPath);
        wrong.isEmpty() && !problem.isEmpty())
        wrong = QStringLiteral("--metrics %1 %2").arg(options.metricsPath, problem);
    if (!wrong.isEmpty()) {
        QTextStream(stderr) << usageError(wrong) << Qt::endl;
        return 2;
    }
    std::unique_ptr<LineTrace> trace;
    if (!options.tracePath.isEmpty())
        trace = std::make_unique<LineTrace>(options.tracePath);
    if (options.command == SubCommand::Save) {
        // The question names exactly the ports that would be saved on (only local ports are
        // optional: the probe answers them at once).
        targets.removeIf([](const PortTarget& target) {
            return target.optional && !probeNow(target.address, {}).listable();
        });
    }
    if (targets.isEmpty()) {
        QElapsedTimer none;
        none.start();
        // The metrics say so too, rather than keep an earlier run's readers up.
        return endWithoutResults(options, writeMetrics(options, {}, none, 3),
                                 QStringLiteral("all: no device stands for any of COM1 to COM16"));
    }
    if (options.command == SubCommand::Save) {
        if (const auto refused = confirmSave(options, targets))
            return *refused;
    }
    if (options.command == SubCommand::Align)
        return runAlign(options, targets.constFirst(), trace.get());
    return runPortJobs(options, targets, trace.get());
}
