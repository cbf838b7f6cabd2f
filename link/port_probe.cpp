#include "link/port_probe.h"

#include "link/port_map.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

QString canonicalDevice(const QString& device) {
    const QString canonical = QFileInfo(device).canonicalFilePath();
    return canonical.isEmpty() ? device : canonical;
}

PortFailure classifyOpenError(QSerialPort::SerialPortError error, const QString& device) {
    switch (error) {
    case QSerialPort::NoError:
        return PortFailure::None;
    case QSerialPort::DeviceNotFoundError:
        return PortFailure::Missing;
    case QSerialPort::PermissionError:
#ifdef Q_OS_UNIX
        // The lock file and the kernel's exclusive mode both come back as PermissionError.
        // If we could open the node ourselves, somebody else holds the port.
        if (!QFileInfo::exists(device))
            return PortFailure::Missing;
        if (::access(QFile::encodeName(device).constData(), R_OK | W_OK) != 0)
            return PortFailure::NoPermission;
#endif
        return PortFailure::Busy;
    default:
        return QFileInfo::exists(device) ? PortFailure::Other : PortFailure::Missing;
    }
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
        return error.device.isEmpty() ? QStringLiteral("no device stands for this port")
                                      : QStringLiteral("the device does not exist");
    case PortFailure::Lost:
        return QStringLiteral("the device was lost");
    case PortFailure::Network:
    case PortFailure::Other:
        break;
    }
    return error.detail;
}

namespace {
QString portName(int port, const PortError& error) {
    return error.device.isEmpty() ? QStringLiteral("COM%1").arg(port)
                                  : QStringLiteral("COM%1 (%2)").arg(port).arg(error.device);
}
} // namespace

QString describePortError(int port, const PortError& error) {
    if (error.kind == PortFailure::None)
        return QStringLiteral("%1 is open.").arg(portName(port, error));
    return QStringLiteral("%1 cannot be opened: %2.")
        .arg(portName(port, error), portFailureReason(error));
}

QString describePortNotOpen(int port, const PortError& error) {
    return QStringLiteral("%1 is not open: %2.")
        .arg(portName(port, error), portFailureReason(error));
}

QList<qint16> listablePorts(const std::function<qint16(qint16)>& probe, qint16 kept) {
    QList<qint16> ports;
    for (qint16 n = PortMap::kFirstPort; n <= PortMap::kLastPort; ++n) {
        if (n == kept) {
            ports << n;
            continue;
        }
        const qint16 r = probe(n);
        if (r == 0 || r == 1)
            ports << n;
    }
    return ports;
}
