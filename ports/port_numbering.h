#pragma once

#include "link/port_address.h"

#include <QList>
#include <QMap>
#include <QString>
#include <array>

// One serial device the system has, as found.
struct FoundDevice {
    QString path;   // "/dev/ttyUSB0"
    QString byId;   // "/dev/serial/by-id/usb-FTDI_..._A12-if00-port0", empty if none
    QString byPath; // "/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0", empty if none
    QString description;
    QString maker;
    QString serialNumber;
};

// "FT232R USB UART, FTDI, serial A9xyz": what the system says about the device.
QString deviceDescription(const FoundDevice& device);

// Whether `device` (a path as given: the device, a by-id or by-path name, a symlink) is this
// adapter. The one place that tells.
bool isAdapter(const FoundDevice& adapter, const QString& device);

// How an adapter is known from one plugging to the next: its by-id name (maker, product, serial
// number), else its by-path name (the USB socket), else its device path.
QString deviceIdentity(const FoundDevice& device);

// "/dev/ttyS3" -> 3; -1 for every other device.
int builtInIndex(const QString& path);

// How a COM number was given.
enum class PortOrigin {
    None,       // the number is free
    BuiltIn,    // /dev/ttySn is COM(n+1)
    Remembered, // kept for this adapter in the user's configuration
    ThisRun,    // --port, or an adapter whose own number is held by one: not stored
};
QString originName(PortOrigin origin); // "built-in", "remembered", "this run", ""

struct NumberedPort {
    PortAddress address; // what is opened; empty when the number is free
    QString identity;    // the remembered identity, or the address
    PortOrigin origin = PortOrigin::None;
    bool found = false; // on the device list now
    FoundDevice details;
};

struct PortNumbering {
    std::array<NumberedPort, ComPort::kCount> ports; // [0] is COM1
    QList<FoundDevice> unnumbered;                   // no number was free for these
    QMap<int, QString> newlyRemembered;              // COMn -> identity, given now, to be stored

    const NumberedPort& port(ComPort n) const {
        return ports[static_cast<std::size_t>(n.number - 1)];
    }
};

// COM1 to COM16 for the devices found. `remembered` is COMn -> identity as stored (an adapter's
// name, a device path or an address); `thisRun` holds over everything and is not stored.
PortNumbering numberPorts(const QList<FoundDevice>& found,
                          const QMap<int, PortAddress>& remembered,
                          const QMap<ComPort, PortAddress>& thisRun);
