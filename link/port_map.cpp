#include "link/port_map.h"

#include "link/port_address.h"

#include <QRegularExpression>

PortMap PortMap::platformDefault() {
    return PortMap(true);
}

PortMap PortMap::explicitOnly() {
    return PortMap(false);
}

void PortMap::map(int port, const QString& device) {
    mapped_.insert(port, device);
}

QString PortMap::deviceFor(int port) const {
    if (port < kFirstPort || port > kLastPort)
        return {};
    if (const auto it = mapped_.constFind(port); it != mapped_.constEnd())
        return *it;
    if (!fallBackToPlatform_)
        return {};
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(port);
#else
    return QStringLiteral("/dev/ttyS%1").arg(port - 1);
#endif
}

std::optional<PortMap::Assignment> PortMap::parseAssignment(const QString& text, QString* error) {
    static const QRegularExpression pattern(QStringLiteral("^COM([0-9]{1,2})=(.+)\\z"),
                                            QRegularExpression::CaseInsensitiveOption);
    const auto match = pattern.match(text);
    if (!match.hasMatch()) {
        *error = QStringLiteral("expected COMn=DEVICE or COMn=ADDRESS, got \"%1\"").arg(text);
        return std::nullopt;
    }
    const int port = match.captured(1).toInt();
    if (port < kFirstPort || port > kLastPort) {
        *error = QStringLiteral("port number %1 is outside COM1 to COM16").arg(port);
        return std::nullopt;
    }
    const QString device = match.captured(2);
    if (device.contains(QChar(u'\0'))) {
        *error = QStringLiteral("device path contains a NUL character");
        return std::nullopt;
    }
    if (const QString wrong = portAddressError(device); !wrong.isEmpty()) {
        *error = wrong;
        return std::nullopt;
    }
    return Assignment{port, device};
}
