#pragma once

#include "link/port_map.h"

#include <QString>
#include <QStringList>

struct CommandLine {
    PortMap ports = PortMap::platformDefault();
    QString reportPath;
    bool listPorts = false;
    bool simulate = false;
};

// The outcome of reading the arguments: either options to run with, or text to print and an
// exit status (help, version, or a one-line error with status 2).
struct CommandLineOutcome {
    bool run = false;
    CommandLine options;
    int exitCode = 0;
    QString message;
};

CommandLineOutcome parseCommandLine(const QStringList& arguments);
