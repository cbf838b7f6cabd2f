#include "app/command_line.h"

#include "reader_ops/settings_report.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {
CommandLineOutcome failure(const QString& message) {
    CommandLineOutcome outcome;
    outcome.exitCode = 2;
    outcome.message = QStringLiteral("ksr-utility: %1").arg(message);
    return outcome;
}
} // namespace

CommandLineOutcome parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Test and set-up utility for KSR-6400/6500 barcode readers."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral("The device that stands for COMn (repeatable), e.g. COM2=/dev/ttyUSB0."),
        QStringLiteral("COMn=DEVICE"));
    const QCommandLineOption listPorts(
        QStringLiteral("list-ports"),
        QStringLiteral("Print COM1 to COM16 and the serial devices of this system, then exit."));
    const QCommandLineOption report(QStringLiteral("report"),
                                    QStringLiteral("Where the settings report is written."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption simulate(
        QStringLiteral("simulate"),
        QStringLiteral("Run a simulated reader inside the program and make it COM1."));
    parser.addOptions({port, listPorts, report, simulate});

    if (!parser.parse(arguments))
        return failure(parser.errorText());
    if (parser.isSet(help)) {
        CommandLineOutcome outcome;
        outcome.message = parser.helpText();
        return outcome;
    }
    if (parser.isSet(version)) {
        CommandLineOutcome outcome;
        outcome.message = QStringLiteral("ksr-utility %1").arg(QStringLiteral(KSR_VERSION));
        return outcome;
    }
    if (!parser.positionalArguments().isEmpty())
        return failure(QStringLiteral("unexpected argument \"%1\"")
                           .arg(parser.positionalArguments().constFirst()));

    CommandLineOutcome outcome;
    outcome.run = true;
    CommandLine& options = outcome.options;
    for (const QString& value : parser.values(port)) {
        QString error;
        const auto assignment = PortMap::parseAssignment(value, &error);
        if (!assignment)
            return failure(QStringLiteral("--port: %1").arg(error));
        options.ports.map(assignment->port, assignment->device);
    }
    if (parser.isSet(report)) {
        options.reportPath = parser.value(report);
        if (options.reportPath.isEmpty())
            return failure(QStringLiteral("--report: the file name is empty"));
    } else {
        options.reportPath = defaultSettingsReportPath();
    }
    options.listPorts = parser.isSet(listPorts);
    options.simulate = parser.isSet(simulate);
    return outcome;
}
