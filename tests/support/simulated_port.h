#pragma once

#include "port_values.h"
#include "simulator/pty_reader.h"

#include <QByteArray>
#include <QStringList>
#include <memory>

// A simulated reader on its own pseudo-terminal, started for one test.
inline std::unique_ptr<PtyReader> startSimulatedReader() {
    auto reader = std::make_unique<PtyReader>();
    QString error;
    if (!reader->start(&error))
        qFatal("cannot start the simulated reader: %s", qPrintable(error));
    return reader;
}
