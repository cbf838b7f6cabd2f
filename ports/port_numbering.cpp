#include "ports/port_numbering.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

QString deviceIdentity(const FoundDevice& device) {
    if (!device.byId.isEmpty())
        return device.byId;
    if (!device.byPath.isEmpty())
        return device.byPath;
    return device.path;
}

QString deviceDescription(const FoundDevice& device) {
    QStringList parts;
    for (const QString& part : {device.description, device.maker})
        if (!part.isEmpty())
            parts << part;
    if (!device.serialNumber.isEmpty())
        parts << QStringLiteral("serial ") + device.serialNumber;
    return parts.join(QStringLiteral(", "));
}

bool isAdapter(const FoundDevice& adapter, const QString& device) {
    if (device.isEmpty())
        return false;
    if (device == adapter.path || device == adapter.byId || device == adapter.byPath)
        return true;
    const QString real = QFileInfo(device).canonicalFilePath();
    return !real.isEmpty() && real == QFileInfo(adapter.path).canonicalFilePath();
}

int builtInIndex(const QString& path) {
    static const QRegularExpression pattern(QStringLiteral("^/dev/ttyS([0-9]{1,2})\\z"));
    const auto match = pattern.match(path);
    if (!match.hasMatch())
        return -1;
    const int n = match.captured(1).toInt();
    return n < ComPort::kCount ? n : -1;
}

QString originName(PortOrigin origin) {
    switch (origin) {
    case PortOrigin::BuiltIn:
        return QStringLiteral("built-in");
    case PortOrigin::Remembered:
        return QStringLiteral("remembered");
    case PortOrigin::ThisRun:
        return QStringLiteral("this run");
    case PortOrigin::None:
        break;
    }
    return {};
}

namespace {
// ttyUSB2 before ttyUSB10.
bool naturalOrder(const FoundDevice& a, const FoundDevice& b) {
    if (a.path.size() != b.path.size())
        return a.path.size() < b.path.size();
    return a.path < b.path;
}
} // namespace

PortNumbering numberPorts(const QList<FoundDevice>& found,
                          const QMap<int, PortAddress>& remembered,
                          const QMap<ComPort, PortAddress>& thisRun) {
    PortNumbering result;
    const auto slot = [&result](int n) -> NumberedPort& {
        return result.ports[static_cast<std::size_t>(n - 1)];
    };
    const auto inRange = [](int n) { return ComPort{n}.isValid(); };
    const auto names = [](const FoundDevice& device, const PortAddress& address) {
        return !address.isNetwork() && isAdapter(device, address.path());
    };

    // The devices this run names are numbered by it and by nothing else.
    QList<FoundDevice> rest;
    for (const FoundDevice& device : found) {
        const bool named =
            std::any_of(thisRun.begin(), thisRun.end(),
                        [&](const PortAddress& address) { return names(device, address); });
        if (!named)
            rest << device;
    }
    std::sort(rest.begin(), rest.end(), naturalOrder);
    for (auto it = thisRun.begin(); it != thisRun.end(); ++it) {
        if (!it.key().isValid())
            continue;
        NumberedPort& port = slot(it.key().number);
        port.address = it.value();
        port.identity = it.value().text();
        port.origin = PortOrigin::ThisRun;
        for (const FoundDevice& device : found) {
            if (names(device, it.value())) {
                port.found = true;
                port.details = device;
            }
        }
    }

    QList<FoundDevice> adapters;
    for (const FoundDevice& device : std::as_const(rest)) {
        const int index = builtInIndex(device.path);
        if (index < 0) {
            adapters << device;
        } else if (NumberedPort& port = slot(index + 1); port.origin == PortOrigin::None) {
            port = {PortAddress::devicePath(device.path), device.path, PortOrigin::BuiltIn, true,
                    device};
        } else {
            result.unnumbered << device;
        }
    }

    // Numbers remembered for adapters, present or not, are not free for others.
    QMap<QString, int> numberOf;
    QMap<QString, PortAddress> addressOf;
    for (auto it = remembered.begin(); it != remembered.end(); ++it) {
        const QString identity = it.value().text();
        if (inRange(it.key()) && !identity.isEmpty() && !numberOf.contains(identity)) {
            numberOf.insert(identity, it.key());
            addressOf.insert(identity, it.value());
        }
    }
    QList<FoundDevice> unplaced;
    for (const FoundDevice& device : std::as_const(adapters)) {
        const QString identity = deviceIdentity(device);
        const auto known = numberOf.constFind(identity);
        if (known != numberOf.constEnd() && slot(*known).origin == PortOrigin::None)
            slot(*known) = {PortAddress::devicePath(device.path), identity, PortOrigin::Remembered,
                            true, device};
        else
            unplaced << device;
    }
    // Remembered adapters that are not plugged in keep their numbers.
    for (auto it = numberOf.begin(); it != numberOf.end(); ++it) {
        NumberedPort& port = slot(it.value());
        if (port.origin == PortOrigin::None)
            port = {addressOf.value(it.key()), it.key(), PortOrigin::Remembered, false, {}};
    }
    // The rest take the lowest free number (every remembered one is taken by now).
    for (const FoundDevice& device : std::as_const(unplaced)) {
        const QString identity = deviceIdentity(device);
        const bool displaced = numberOf.contains(identity); // its number is held this run
        int n = 1;
        while (n <= ComPort::kCount && slot(n).origin != PortOrigin::None)
            ++n;
        if (n > ComPort::kCount) {
            result.unnumbered << device;
            continue;
        }
        slot(n) = {PortAddress::devicePath(device.path), identity,
                   displaced ? PortOrigin::ThisRun : PortOrigin::Remembered, true, device};
        if (!displaced)
            result.newlyRemembered.insert(n, identity);
    }
    return result;
}
