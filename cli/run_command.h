#pragma once

#include "cli/command_line.h"

// Runs a command without any window (inside a QCoreApplication) and returns the exit status.
int runCommand(const CommandLine& options);
