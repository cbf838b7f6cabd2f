#include "cli/port_listing.h"

#include "cli/text_table.h"
#include "link/reader_link.h"

#include <QSerialPortInfo>

namespace {
QString portState(ReaderLink& link, qint16 port) {
    PortError why;
    switch (link.TestCOM(port, &why)) {
    case 0:
        return QStringLiteral("free");
    case 1:
        return QStringLiteral("busy");
    default:
        break;
    }
    // A connection's probe already waited for its answer: no second try.
    if (why.kind == PortFailure::Network)
        return QStringLiteral("no connection (%1)").arg(why.detail);
    // Say why it is not usable, which the probe's result alone does not tell.
    if (link.OpenCOM(port)) {
        link.CloseCOM();
        return QStringLiteral("free");
    }
    switch (link.lastOpenError().kind) {
    case PortFailure::NoPermission:
        return QStringLiteral("no permission");
    case PortFailure::Missing:
        return QStringLiteral("missing");
    case PortFailure::Busy:
        return QStringLiteral("busy");
    default:
        return QStringLiteral("not usable (%1)").arg(link.lastOpenError().detail);
    }
}

QString usbDetails(const QSerialPortInfo& info) {
    QStringList parts;
    if (!info.description().isEmpty())
        parts << info.description();
    if (!info.manufacturer().isEmpty())
        parts << info.manufacturer();
    if (info.hasVendorIdentifier() && info.hasProductIdentifier())
        parts << QStringLiteral("USB %1:%2")
                     .arg(info.vendorIdentifier(), 4, 16, QChar(u'0'))
                     .arg(info.productIdentifier(), 4, 16, QChar(u'0'));
    if (!info.serialNumber().isEmpty())
        parts << QStringLiteral("serial %1").arg(info.serialNumber());
    return parts.join(QStringLiteral(", "));
}
} // namespace

QString portListing(ReaderLink& link) {
    QList<QStringList> rows;
    for (qint16 port = PortMap::kFirstPort; port <= PortMap::kLastPort; ++port) {
        const QString device = link.ports().deviceFor(port);
        rows.append({QStringLiteral("COM%1").arg(port),
                     device.isEmpty() ? QStringLiteral("-") : device, portState(link, port)});
    }
    QString text = alignedColumns(
        {QStringLiteral("Port"), QStringLiteral("Device"), QStringLiteral("State")}, rows);
    text += QStringLiteral("\nSerial devices on this system (use one with --port COMn=DEVICE):\n");
    const auto infos = QSerialPortInfo::availablePorts();
    if (infos.isEmpty())
        text += QStringLiteral("  none found\n");
    for (const QSerialPortInfo& info : infos) {
        const QString details = usbDetails(info);
        text += QStringLiteral("  %1%2\n")
                    .arg(info.systemLocation(),
                         details.isEmpty() ? QString() : QStringLiteral("  ") + details);
    }
    return text;
}
