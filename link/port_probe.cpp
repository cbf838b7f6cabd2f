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

PortError probeDevice(const QString& device) {
    QSerialPort port(device);
    if (port.open(QIODevice::ReadWrite)) {
        port.close();
        return {PortFailure::None, device, {}};
    }
    return {classifyOpenError(port.error(), device), device, port.errorString()};
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
        break;
    }
    const QFileInfo info(device);
    if (!info.exists())
        return PortFailure::Missing;
    if (info.isDir())
        return PortFailure::Folder;
    // Qt fails on the terminal settings of anything that is no terminal ("Inappropriate ioctl").
    if (error == QSerialPort::UnsupportedOperationError || info.isFile())
        return PortFailure::NotSerial;
    return PortFailure::Other;
}

QString systemErrorInWords(const QString& systemText) {
    if (systemText.contains(QStringLiteral("Inappropriate ioctl"), Qt::CaseInsensitive))
        return QStringLiteral("not a serial port");
    if (systemText.contains(QStringLiteral("Is a directory"), Qt::CaseInsensitive))
        return QStringLiteral("a folder, not a device");
    return systemText;
}

QString portStateWord(const PortError& error) {
    switch (error.kind) {
    case PortFailure::None:
        return QStringLiteral("present");
    case PortFailure::Busy:
        return QStringLiteral("in use");
    case PortFailure::NoPermission:
        return QStringLiteral("no permission");
    case PortFailure::Missing:
    case PortFailure::Lost:
        return QStringLiteral("missing");
    case PortFailure::Network:
        return QStringLiteral("no connection (%1)").arg(error.detail);
    case PortFailure::NotSerial:
    case PortFailure::Folder:
    case PortFailure::Other:
        break;
    }
    return portFailureReason(error);
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
