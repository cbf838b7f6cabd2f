#include "cli/port_targets.h"

#include <QRegularExpression>

std::optional<QList<PortTarget>> resolvePorts(const QList<PortArgument>& arguments,
                                              const PortMap& ports, QString* error) {
    QList<PortTarget> targets;
    const auto addCom = [&](ComPort n, bool optional) {
        targets.append({n.label(), n, ports.addressFor(n), optional});
    };
    for (const PortArgument& argument : arguments) {
        switch (argument.kind) {
        case PortArgument::Kind::All:
            // Opening each port is the probe: one opening instead of two. A reader on the
            // network is there because it was assigned: it stays in, reachable or not.
            for (const ComPort n : ComPort::all()) {
                if (const PortAddress address = ports.addressFor(n); !address.isEmpty())
                    addCom(n, !address.isNetwork());
            }
            break;
        case PortArgument::Kind::Com:
            addCom(argument.com, false);
            break;
        case PortArgument::Kind::Address:
            targets.append({argument.address.text(), {}, argument.address, false});
            break;
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
            if (!target.address.isEmpty() && earlier.address.key() == target.address.key()) {
                *error = QStringLiteral("%1 and %2 are the same device (%3)")
                             .arg(earlier.label, target.label, target.address.key());
                return std::nullopt;
            }
        }
        if (!seen)
            unique.append(target);
    }
    return unique;
}

QString reportFileName(const PortTarget& target) {
    if (target.com.isValid())
        return target.label + QStringLiteral(".txt");
    QString name = target.label;
    if (target.address.isNetwork()) {
        // rfc2217://[::1]:4001 -> rfc2217_1_4001: only characters every file system takes.
        name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9.-]+")), QStringLiteral("_"));
        return name + QStringLiteral(".txt");
    }
    while (name.startsWith(u'/'))
        name.remove(0, 1);
    name.replace(u'/', u'_');
    return name + QStringLiteral(".txt");
}
