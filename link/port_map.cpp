#include "link/port_map.h"

PortMap PortMap::platformDefault() {
    return PortMap(true);
}

PortMap PortMap::explicitOnly() {
    return PortMap(false);
}

void PortMap::map(ComPort port, const PortAddress& address) {
    mapped_.insert(port, address);
}

PortAddress PortMap::addressFor(ComPort port) const {
    if (!port.isValid())
        return {};
    if (const auto it = mapped_.constFind(port); it != mapped_.constEnd())
        return *it;
    if (!fallBackToPlatform_)
        return {};
#ifdef Q_OS_WIN
    return PortAddress::devicePath(port.label());
#else
    return PortAddress::devicePath(QStringLiteral("/dev/ttyS%1").arg(port.number - 1));
#endif
}

std::optional<PortMap::Assignment> PortMap::parseAssignment(const QString& text, QString* error) {
    const qsizetype equals = text.indexOf(u'=');
    if (equals < 0 || equals + 1 == text.size()) {
        *error = QStringLiteral("expected COMn=DEVICE or COMn=ADDRESS, got \"%1\"").arg(text);
        return std::nullopt;
    }
    const QString name = text.left(equals);
    const auto port = ComPort::parse(name);
    if (!port) {
        *error = QStringLiteral("\"%1\" is not one of COM1 to COM16").arg(name);
        return std::nullopt;
    }
    const auto address = PortAddress::parse(text.mid(equals + 1), error);
    if (!address)
        return std::nullopt;
    return Assignment{*port, *address};
}
