#include "link/port_probe.h"

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

QString portFailureReason(const PortError& error) {
    switch (error.kind) {
    case PortFailure::None:
        return QStringLiteral("open");
    case PortFailure::Busy:
        return QStringLiteral("in use by another program");
    case PortFailure::NoPermission:
        return QStringLiteral("no permission to use the device (add the user to the dialout "
                              "group)");
    case PortFailure::Missing:
        return error.device.isEmpty() ? QStringLiteral("no device stands for this port")
                                      : QStringLiteral("the device does not exist");
    case PortFailure::Other:
        break;
    }
    return error.detail.isEmpty() ? QStringLiteral("it cannot be opened") : error.detail;
}
