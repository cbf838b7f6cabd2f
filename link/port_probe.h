#pragma once

#include <QSerialPort>
#include <QString>

// Why a port could not be opened, told apart for the operator.
enum class PortFailure {
    None,
    Busy,         // another program, or this one, holds it
    NoPermission, // the user may not use the device (not in the dialout group)
    Missing,      // no device at that path (unplugged, never there)
    Other,
};

struct PortError {
    PortFailure kind = PortFailure::None;
    QString device;
    QString detail; // the system's own words, for the rarer failures
};

// A symlink and its target are one port: resolve to the real device path.
QString canonicalDevice(const QString& device);

// Qt reports both "already open elsewhere" and "not allowed" as PermissionError.
PortFailure classifyOpenError(QSerialPort::SerialPortError error, const QString& device);

// Why the port could not be opened, without naming it: "in use by another program".
QString portFailureReason(const PortError& error);

// A sentence for the operator: "COM3 (/dev/ttyUSB0) is in use by another program."
QString describePortError(int port, const PortError& error);
