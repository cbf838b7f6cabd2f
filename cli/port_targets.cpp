#include "cli/port_targets.h"

#include "link/port_address.h"
#include "link/port_probe.h"

#include <QRegularExpression>

std::optional<QList<PortTarget>> resolvePorts(const QStringList& arguments, const PortMap& ports,
                                              QString* error) {
    QList<PortTarget> targets;
    const auto addCom = [&](int n, bool optional) {
        targets.append({QStringLiteral("COM%1").arg(n), n, ports.deviceFor(n), optional});
    };
    for (const QString& argument : arguments) {
        if (argument == QStringLiteral("all")) {
            // Opening each port is the probe: one opening instead of two. A reader on the
            // network is there because it was assigned: it stays in, reachable or not.
            for (int n = PortMap::kFirstPort; n <= PortMap::kLastPort; ++n) {
                if (!ports.deviceFor(n).isEmpty())
                    addCom(n, !isNetworkAddress(ports.deviceFor(n)));
            }
        } else if (argument.startsWith(QStringLiteral("COM"))) {
            addCom(argument.mid(3).toInt(), false);
        } else {
            targets.append({argument, 0, argument, false});
        }
    }
    // "all" next to COMn names some ports twice: once is enough.
    QList<PortTarget> unique;
    for (const PortTarget& target : targets) {
        bool seen = false;
        for (PortTarget& earlier : unique) {
            if (earlier.label == target.label) {
                earlier.optional = earlier.optional && target.optional; // named: it stays
                seen = true;
                break;
            }
            if (!target.device.isEmpty() &&
                canonicalDevice(earlier.device) == canonicalDevice(target.device)) {
                *error = QStringLiteral("%1 and %2 are the same device (%3)")
                             .arg(earlier.label, target.label, canonicalDevice(target.device));
                return std::nullopt;
            }
        }
        if (!seen)
            unique.append(target);
    }
    return unique;
}

QString reportFileName(const PortTarget& target) {
    if (target.comNumber > 0)
        return target.label + QStringLiteral(".txt");
    QString name = target.label;
    if (isNetworkAddress(name)) {
        // rfc2217://[::1]:4001 -> rfc2217_1_4001: only characters every file system takes.
        name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9.-]+")), QStringLiteral("_"));
        return name + QStringLiteral(".txt");
    }
    while (name.startsWith(u'/'))
        name.remove(0, 1);
    name.replace(u'/', u'_');
    return name + QStringLiteral(".txt");
}
