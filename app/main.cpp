#include "app/display_check.h"
#include "app/frm_exec.h"
#include "cli/command_line.h"
#include "cli/output_check.h"
#include "cli/run_command.h"
#include "link/line_trace.h"
#include "ports/port_catalog.h"
#include "program/output_file.h"
#include "program/standard_output.h"
#include "reader_ops/settings_report.h"
#include "ui/message_box_prompter.h"
#include "ui/translations.h"
#ifdef KSR_SIMULATOR
#include "simulator/pty_reader.h"
#include "simulator/read_timing.h"
#endif

#include <QApplication>
#include <QIcon>
#include <QTextStream>
#include <memory>

namespace {
void nameApplication() {
    QCoreApplication::setApplicationName(QStringLiteral("ksr-utility"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KSR_VERSION));
}

// With --simulate, a simulated reader answers on COM1 for as long as the program runs.
std::unique_ptr<QObject> startSimulatedReader(CommandLine& options, int* exitCode) {
    if (!options.simulate)
        return nullptr;
#ifndef KSR_SIMULATOR
    // Refused while the options are read; nothing to start here.
    Q_UNUSED(exitCode);
    return nullptr;
#else
    auto reader = std::make_unique<PtyReader>();
    QString error;
    if (!reader->start(&error)) {
        QTextStream(stderr) << "ksr-utility: --simulate: " << error << Qt::endl;
        *exitCode = 1;
        return nullptr;
    }
    options.ports.map(ComPort{ComPort::kFirst}, PortAddress::devicePath(reader->devicePath()));
    // Something to identify: each read presents the next of these.
    reader->model().configuration().setPresentedBarcodes(
        {{1, "KSR6500"}, {6, "4006381333931"}, {4, "Test-128"}, {0, "93-SAMPLE"}});
    attachReadTiming(*reader, kReadTimeMs);
    // The alignment target wanders slowly, so the alignment window has something to show.
    reader->model().alignmentTarget().setDrift(true);
    return reader;
#endif
}

// The report asked for, and the trace: the default report is checked when it is written, and a
// problem with it is said in the window.
QString windowOutputsProblem(const CommandLine& options) {
    const bool reportGiven = options.reportPath != defaultSettingsReportPath();
    if (const QString wrong = outputsProblem(
            reportGiven ? QStringList{options.reportPath} : QStringList{}, {}, options.tracePath);
        !wrong.isEmpty())
        return wrong;
    if (options.tracePath != QStringLiteral("-") && sameFile(options.reportPath, options.tracePath))
        return QStringLiteral("--trace %1 is the settings report: give it its own file")
            .arg(options.tracePath);
    return {};
}

int runWindow(int argc, char* argv[], CommandLine options) {
    QApplication app(argc, argv);
    nameApplication();
    // The windows speak the desktop's language; the commands above never get here.
    installTranslations();
    // Installed, the desktop finds the menu entry and icon through these (taskbar, dock, Wayland).
    QGuiApplication::setDesktopFileName(QStringLiteral(KSR_APP_ID));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("ksr-utility")));
    int exitCode = 0;
    const auto simulatedReader = startSimulatedReader(options, &exitCode);
    if (exitCode != 0)
        return exitCode;
    std::unique_ptr<LineTrace> trace;
    if (!options.tracePath.isEmpty())
        trace = std::make_unique<LineTrace>(options.tracePath);
    MessageBoxPrompter prompter;
    // The devices found, numbered as remembered; --port (and --simulate) over them this run.
    PortCatalog catalog(systemDeviceList(), PortStore(PortStore::defaultPath()),
                        options.ports.mapped());
    frmExec window(catalog.portMap(), options.reportPath, prompter);
    window.setPortCatalog(&catalog);
    window.link().setTrace(trace.get());
    window.Form_Load();
    window.show();
    return QApplication::exec();
}
} // namespace

int main(int argc, char* argv[]) {
    guardStandardStreams();
    startTraceClock();
    CommandLineOutcome outcome;
    {
        // Options are read, and commands run, without a window system: no display needed.
        QCoreApplication core(argc, argv);
        nameApplication();
        outcome = parseCommandLine(QCoreApplication::arguments());
        if (!outcome.run) {
            QTextStream(outcome.exitCode == 0 ? stdout : stderr) << outcome.message << Qt::endl;
            return standardOutputStatus(outcome.exitCode);
        }
#ifndef KSR_SIMULATOR
        if (outcome.options.simulate) {
            QTextStream(stderr) << "ksr-utility: --simulate: the simulated reader is not "
                                   "available in this build"
                                << Qt::endl;
            return 1;
        }
#endif
        if (outcome.options.command != SubCommand::Window) {
            int exitCode = 0;
            const auto simulatedReader = startSimulatedReader(outcome.options, &exitCode);
            if (exitCode != 0)
                return exitCode;
            return standardOutputStatus(runCommand(outcome.options));
        }
        if (const QString wrong = windowOutputsProblem(outcome.options); !wrong.isEmpty()) {
            QTextStream(stderr) << usageError(wrong) << Qt::endl;
            return 2;
        }
    }
    // Without a display Qt would abort with a core dump; say plainly what is wrong instead.
    if (const QString problem = displayProblem(argc, argv); !problem.isEmpty()) {
        QTextStream(stderr) << problem << Qt::endl;
        return 1;
    }
    return runWindow(argc, argv, outcome.options);
}
