#pragma once

#include "link/port_map.h"

#include <QtGlobal>

// A device path or address the test knows to be well formed.
inline PortAddress addressOf(const QString& text) {
    QString error;
    const auto address = PortAddress::parse(text, &error);
    if (!address)
        qFatal("%s", qPrintable(error));
    return *address;
}

// Only the ports a test names have devices (an empty name: none): nothing real is ever opened.
inline PortMap portsFor(std::initializer_list<std::pair<int, QString>> devices) {
    PortMap ports = PortMap::explicitOnly();
    for (const auto& [port, device] : devices) {
        if (!device.isEmpty())
            ports.map(ComPort{port}, addressOf(device));
    }
    return ports;
}
