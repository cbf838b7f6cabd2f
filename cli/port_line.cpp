#include "cli/port_line.h"

namespace {
qint16 comNumberOf(const PortTarget& target) {
    return static_cast<qint16>(target.comNumber > 0 ? target.comNumber : PortMap::kFirstPort);
}

PortMap portMapFor(const PortTarget& target) {
    PortMap ports = PortMap::explicitOnly();
    ports.map(comNumberOf(target), target.device);
    return ports;
}
} // namespace

PortLine::PortLine(const PortTarget& target, LineTrace* trace, QObject* parent)
    : QObject(parent), link_(portMapFor(target)), comNumber_(comNumberOf(target)) {
    if (target.comNumber == 0)
        link_.setPortLabel(target.label);
    link_.setTrace(trace);
    tickTimer_.setTimerType(Qt::PreciseTimer);
    tickTimer_.setInterval(ReaderLink::kTickIntervalMs);
    connect(&tickTimer_, &QTimer::timeout, &link_, &ReaderLink::advanceTick);
}

void PortLine::close() {
    link_.CloseCOM();
    tickTimer_.stop();
}
