#pragma once

#include "link/port_address.h"

#include <QString>

// Why a port could not be opened, told apart for the operator.
enum class PortFailure {
    None,
    Busy,         // another program, or this one, holds it
    NoPermission, // the user may not use the device (not in the dialout group)
    Missing,      // no device at that path (unplugged, never there)
    Lost,         // it was open and went away (unplugged, hung up)
    NotSerial,    // a regular file, /dev/null, a pseudo-terminal whose other end is gone
    Folder,       // a directory
    Network,      // a network address that did not connect; `detail` says why
    Other,
};

struct PortError {
    PortFailure kind = PortFailure::None;
    QString device; // the device path or address, as shown
    QString detail; // the system's own words, for the rarer failures
};

// The system's words for the failures a technician meets, in the program's: "Inappropriate
// ioctl for device" is "not a serial port", "Is a directory" is "a folder, not a device".
QString systemErrorInWords(const QString& systemText);

// Why, in words for the operator: "it is in use by another program".
QString portFailureReason(const PortError& error);

// A failed opening: "COM3 (/dev/ttyUSB0) cannot be opened: it is in use by another program."
QString describePortError(ComPort port, const PortError& error);

// A port that is not open when it is needed: "COM1 (/dev/x) is not open: the device does not
// exist."
QString describePortNotOpen(ComPort port, const PortError& error);
