#include "cli/run_command.h"

#include "cli/align_session.h"
#include "cli/metrics_file.h"
#include "cli/port_job.h"
#include "cli/port_listing.h"
#include "cli/prometheus_text.h"
#include "cli/terminal.h"
#include "link/line_trace.h"
#include "link/port_catalog.h"
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

#include <memory>
#include <vector>

namespace {

void printError(const QString& text) {
    QTextStream(stderr) << "ksr-utility: " << text << Qt::endl;
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
        settings.expectedWords = options.expectedWords;
        settings.expectPath = options.expectPath;
        if (!options.reportPath.isEmpty())
            settings.reportPath = options.reportPath;
        else if (!options.reportDir.isEmpty())
            settings.reportPath = QDir(options.reportDir).filePath(reportFileName(target));
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
                     });
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
            QStringLiteral("%1 (%2): %3").arg(target.label, target.device, session.result().error));
    }
    out.flush();
    return exitStatus(results);
}

} // namespace

// ports assign COMn DEVICE, ports free COMn, then the table.
int runPorts(const CommandLine& options, PortCatalog& catalog) {
    int status = 0;
    if (!options.portsEdit.isEmpty()) {
        const int port = options.portsEdit.value(1).mid(3).toInt();
        const QString device = options.portsEdit.value(2);
        QString error;
        if (!catalog.apply({{port, device}}, &error)) {
            // A file that cannot be used has been named already.
            printError(error == catalog.storeProblem() ? QStringLiteral("nothing was stored")
                                                       : error);
            status = 1;
        } else if (!options.json) {
            QTextStream(stdout) << (device.isEmpty()
                                        ? QStringLiteral("COM%1 is free.\n").arg(port)
                                        : QStringLiteral("COM%1 is %2 from now on.\n\n")
                                              .arg(port)
                                              .arg(catalog.numbering().port(port).device));
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
    PortCatalog catalog(systemDeviceList(), PortStore(PortStore::defaultPath()),
                        options.ports.mapped());
    if (const QString problem = catalog.takeStoreProblem(); !problem.isEmpty())
        printError(problem);
    const PortMap ports = catalog.portMap();
    if (options.command == SubCommand::ListPorts)
        return runPorts(options, catalog);
    std::unique_ptr<LineTrace> trace;
    if (!options.tracePath.isEmpty())
        trace = std::make_unique<LineTrace>(options.tracePath);

    QString error;
    const auto resolved = resolvePorts(options.portArguments, ports, &error);
    if (!resolved) {
        QTextStream(stderr) << usageError(error) << Qt::endl;
        return 2;
    }
    QList<PortTarget> targets = *resolved;
    if (options.command == SubCommand::Save) {
        // The question names exactly the ports that would be saved on.
        ReaderLink probe(ports);
        targets.removeIf([&probe](const PortTarget& target) {
            return target.optional && probe.TestCOM(static_cast<qint16>(target.comNumber)) < 0;
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
