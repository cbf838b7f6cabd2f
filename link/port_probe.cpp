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

QString describePortError(int port, const PortError& error) {
    const QString where = error.device.isEmpty()
                              ? QStringLiteral("COM%1").arg(port)
                              : QStringLiteral("COM%1 (%2)").arg(port).arg(error.device);
    switch (error.kind) {
    case PortFailure::None:
        return QStringLiteral("%1 is open.").arg(where);
    case PortFailure::Busy:
        return QStringLiteral("%1 cannot be opened: it is in use by another program.").arg(where);
    case PortFailure::NoPermission:
        return QStringLiteral("%1 cannot be opened: no permission to use the device "
                              "(add the user to the dialout group).")
            .arg(where);
    case PortFailure::Missing:
        return error.device.isEmpty()
                   ? QStringLiteral("%1 cannot be opened: no device stands for this port.")
                         .arg(where)
                   : QStringLiteral("%1 cannot be opened: the device is gone.").arg(where);
    case PortFailure::Other:
        break;
    }
    return QStringLiteral("%1 cannot be opened: %2.").arg(where, error.detail);
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
