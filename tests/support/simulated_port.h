#pragma once

#include "link/port_map.h"
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

// Only the ports a test names have devices: nothing real is ever opened.
inline PortMap portsFor(std::initializer_list<std::pair<int, QString>> devices) {
    PortMap ports = PortMap::explicitOnly();
    for (const auto& [port, device] : devices)
        ports.map(port, device);
    return ports;
}
