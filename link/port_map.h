#pragma once

#include "link/port_address.h"

#include <QMap>
#include <optional>

// What stands for each of COM1 to COM16.
class PortMap {
public:
    // COMn is the platform's own device (/dev/ttyS<n-1> on Linux) unless mapped.
    static PortMap platformDefault();
    // Only mapped ports have a device; tests use this so nothing real is touched.
    static PortMap explicitOnly();

    void map(ComPort port, const PortAddress& address);
    // Empty when the port has none (or is not one of COM1 to COM16).
    PortAddress addressFor(ComPort port) const;
    // The ports given an address with map().
    const QMap<ComPort, PortAddress>& mapped() const { return mapped_; }

    struct Assignment {
        ComPort port;
        PortAddress address;
    };
    // Parses "COMn=DEVICE" or "COMn=ADDRESS"; on failure nothing, and *error says why, quoting
    // the text as typed.
    static std::optional<Assignment> parseAssignment(const QString& text, QString* error);

private:
    explicit PortMap(bool fallBackToPlatform) : fallBackToPlatform_(fallBackToPlatform) {}
    bool fallBackToPlatform_;
    QMap<ComPort, PortAddress> mapped_;
};
