#pragma once

#include <QList>
#include <QSerialPort>
#include <QString>
#include <functional>

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
    QString device;
    QString detail; // the system's own words, for the rarer failures
};

// Opens `device` as the link would, closes it again, and says why it would not open.
PortError probeDevice(const QString& device);

// A symlink and its target are one port: resolve to the real device path.
QString canonicalDevice(const QString& device);

// Qt reports both "already open elsewhere" and "not allowed" as PermissionError.
PortFailure classifyOpenError(QSerialPort::SerialPortError error, const QString& device);

// The system's words for the failures a technician meets, in the program's: "Inappropriate
// ioctl for device" is "not a serial port", "Is a directory" is "a folder, not a device".
QString systemErrorInWords(const QString& systemText);

// A port's state in one or two words: "present", "in use", "no permission", "missing", ...
QString portStateWord(const PortError& error);

// Why, in words for the operator: "it is in use by another program".
QString portFailureReason(const PortError& error);

// A failed opening: "COM3 (/dev/ttyUSB0) cannot be opened: it is in use by another program."
QString describePortError(int port, const PortError& error);

// A port that is not open when it is needed: "COM1 (/dev/x) is not open: the device does not
// exist."
QString describePortNotOpen(int port, const PortError& error);

// The ports a port list shows, ascending: each of COM1 to COM16 that `probe` (TestCOM's codes)
// finds, free (0) or already open (1), and `kept` (0 for none), which is listed without being
// probed: it is the port the program itself holds or was told to hold.
QList<qint16> listablePorts(const std::function<qint16(qint16)>& probe, qint16 kept = 0);
