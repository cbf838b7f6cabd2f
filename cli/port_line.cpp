#include "cli/port_line.h"

namespace {
ComPort comOf(const PortTarget& target) {
    return target.com.isValid() ? target.com : ComPort{ComPort::kFirst};
}

qint16 comNumberOf(const PortTarget& target) {
    return static_cast<qint16>(comOf(target).number);
}

PortMap portMapFor(const PortTarget& target) {
    PortMap ports = PortMap::explicitOnly();
    if (!target.address.isEmpty())
        ports.map(comOf(target), target.address);
    return ports;
}
} // namespace

PortLine::PortLine(const PortTarget& target, LineTrace* trace, TransportFactory transports,
                   QObject* parent)
    : QObject(parent), link_(portMapFor(target)), comNumber_(comNumberOf(target)) {
    if (transports)
        link_.setTransportFactory(std::move(transports));
    if (!target.com.isValid())
        link_.setPortLabel(target.label);
    link_.setTrace(trace);
}

void PortLine::close() {
    link_.CloseCOM();
    link_.stopTicking();
}
