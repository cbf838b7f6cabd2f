#include "cli/port_targets.h"

#include "link/port_probe.h"

std::optional<QList<PortTarget>> resolvePorts(const QStringList& arguments, const PortMap& ports,
                                              const std::function<bool(int)>& found,
                                              QString* error) {
    QList<PortTarget> targets;
    const auto addCom = [&](int n) {
        targets.append({QStringLiteral("COM%1").arg(n), n, ports.deviceFor(n)});
    };
    for (const QString& argument : arguments) {
        if (argument == QStringLiteral("all")) {
            for (int n = PortMap::kFirstPort; n <= PortMap::kLastPort; ++n) {
                if (found(n))
                    addCom(n);
            }
        } else if (argument.startsWith(QStringLiteral("COM"))) {
            addCom(argument.mid(3).toInt());
        } else {
            targets.append({argument, 0, argument});
        }
    }
    // "all" next to COMn names some ports twice: once is enough.
    QList<PortTarget> unique;
    for (const PortTarget& target : targets) {
        bool seen = false;
        for (const PortTarget& earlier : unique) {
            if (earlier.label == target.label) {
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
    while (name.startsWith(u'/'))
        name.remove(0, 1);
    name.replace(u'/', u'_');
    return name + QStringLiteral(".txt");
}
