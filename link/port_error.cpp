#include "link/port_error.h"

QString systemErrorInWords(const QString& systemText) {
    if (systemText.contains(QStringLiteral("Inappropriate ioctl"), Qt::CaseInsensitive))
        return QStringLiteral("not a serial port");
    if (systemText.contains(QStringLiteral("Is a directory"), Qt::CaseInsensitive))
        return QStringLiteral("a folder, not a device");
    return systemText;
}

QString portFailureReason(const PortError& error) {
    switch (error.kind) {
    case PortFailure::None:
        return QStringLiteral("it has not been opened");
    case PortFailure::Busy:
        return QStringLiteral("it is in use by another program");
    case PortFailure::NoPermission:
        return QStringLiteral(
            "no permission to use the device (add the user to the dialout group)");
    case PortFailure::Missing:
        return error.device.isEmpty()
                   ? QStringLiteral("no device stands for this port (give it one in the Ports "
                                    "dialog or with ksr-utility ports assign)")
                   : QStringLiteral("the device does not exist");
    case PortFailure::Lost:
        return QStringLiteral("the device was lost");
    case PortFailure::NotSerial:
        return QStringLiteral("not a serial port");
    case PortFailure::Folder:
        return QStringLiteral("a folder, not a device");
    case PortFailure::Network:
        return error.detail;
    case PortFailure::Other:
        break;
    }
    return systemErrorInWords(error.detail);
}

namespace {
QString portName(ComPort port, const PortError& error) {
    return error.device.isEmpty() ? port.label()
                                  : QStringLiteral("%1 (%2)").arg(port.label(), error.device);
}
} // namespace

QString describePortError(ComPort port, const PortError& error) {
    if (error.kind == PortFailure::None)
        return QStringLiteral("%1 is open.").arg(portName(port, error));
    return QStringLiteral("%1 cannot be opened: %2.")
        .arg(portName(port, error), portFailureReason(error));
}

QString describePortNotOpen(ComPort port, const PortError& error) {
    return QStringLiteral("%1 is not open: %2.")
        .arg(portName(port, error), portFailureReason(error));
}
