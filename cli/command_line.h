#pragma once

#include "link/port_map.h"
#include "reader_ops/reader_state.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// What the program is asked to do: the window, or one command that runs without a display.
enum class SubCommand { Window, Verify, Defaults, Save, Identify, Symbologies, Align, ListPorts };

struct CommandLine {
    SubCommand command = SubCommand::Window;
    PortMap ports = PortMap::platformDefault();
    QStringList portArguments; // COMn, device paths or "all", as given
    // The window: where its report goes (never empty). Commands: --report, empty for none.
    QString reportPath;
    QString reportDir; // commands: one report per port in this folder
    QString tracePath; // "-" for standard error; empty for none
    // verify, save: the words expected instead of the default configuration, read from a
    // settings report (--expect), and that report's path as given.
    std::optional<SettingsTable> expectedWords;
    QString expectPath;
    QString metricsPath; // verify: node_exporter's textfile; empty for none
    bool simulate = false;
    bool json = false;
    bool yes = false;
    bool noPrompt = false;
    bool sideLook = false;
    QList<int> enable; // symbology rows, in box order
    QList<int> disable;
    int reports = 0;           // align: stop after this many; 0 until interrupted
    double timeoutSeconds = 3; // align: no report for this long ends the command
    // ports: {"assign", COMn, DEVICE} or {"free", COMn}; empty to list them.
    QStringList portsEdit;
};

// The outcome of reading the arguments: either options to run with, or text to print and an
// exit status (help, version, or a one-line usage error with status 2).
struct CommandLineOutcome {
    bool run = false;
    CommandLine options;
    int exitCode = 0;
    QString message;
};

CommandLineOutcome parseCommandLine(const QStringList& arguments);

// "verify", "ports", ...; empty for the window.
QString subCommandName(SubCommand command);

// Symbology names as the dialog captions them, case, blanks and commas aside ("code 39",
// "IL2of5"); "UPC" and "EAN" both name the "UPC, EAN" box. Comma-separated. Empty on failure,
// with the unknown name and the valid ones in *error.
QList<int> parseSymbologyNames(const QString& text, QString* error);

// A usage error as every part of the program words it.
QString usageError(const QString& what);
