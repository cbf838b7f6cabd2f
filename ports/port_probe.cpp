#include "ports/port_probe.h"

#include "link/network_transports.h"
#include "link/serial_transport.h"

QString PortState::word() const {
    switch (kind) {
    case Kind::NoDevice:
        return {};
    case Kind::Probing:
        return QStringLiteral("connecting");
    case Kind::Present:
        return QStringLiteral("present");
    case Kind::InUse:
        return QStringLiteral("in use");
    case Kind::InUseHere:
        return QStringLiteral("in use here");
    case Kind::Missing:
        return QStringLiteral("missing");
    case Kind::NoPermission:
        return QStringLiteral("no permission");
    case Kind::NotSerial:
        return detail.isEmpty() ? QStringLiteral("not a serial port") : detail;
    case Kind::Unreachable:
        return QStringLiteral("unreachable (%1)").arg(detail);
    case Kind::Other:
        break;
    }
    return systemErrorInWords(detail);
}

PortError PortState::error(const PortAddress& address) const {
    PortError error{PortFailure::Other, address.text(), detail};
    switch (kind) {
    case Kind::NoDevice:
    case Kind::Missing:
        error.kind = PortFailure::Missing;
        break;
    case Kind::Probing:
        error.detail = QStringLiteral("it is still being connected to");
        break;
    case Kind::Present:
        error.kind = PortFailure::None;
        break;
    case Kind::InUse:
    case Kind::InUseHere:
        error.kind = PortFailure::Busy;
        break;
    case Kind::NoPermission:
        error.kind = PortFailure::NoPermission;
        break;
    case Kind::NotSerial:
        error.kind = detail.isEmpty() ? PortFailure::NotSerial : PortFailure::Folder;
        break;
    case Kind::Unreachable:
        error.kind = PortFailure::Network;
        break;
    case Kind::Other:
        break;
    }
    return error;
}

PortState stateOf(const PortError& error) {
    using K = PortState::Kind;
    switch (error.kind) {
    case PortFailure::None:
        return {K::Present, {}};
    case PortFailure::Busy:
        return {K::InUse, {}};
    case PortFailure::NoPermission:
        return {K::NoPermission, {}};
    case PortFailure::Missing:
    case PortFailure::Lost:
        return {K::Missing, {}};
    case PortFailure::NotSerial:
        return {K::NotSerial, {}};
    case PortFailure::Folder:
        return {K::NotSerial, portFailureReason(error)};
    case PortFailure::Network:
        return {K::Unreachable, error.detail};
    case PortFailure::Other:
        break;
    }
    return {K::Other, error.detail};
}

PortState probeNow(const PortAddress& address, const QString& heldKey) {
    if (address.isEmpty())
        return {};
    if (!heldKey.isEmpty() && address.key() == heldKey)
        return {PortState::Kind::InUseHere, {}};
    if (address.isNetwork())
        return {PortState::Kind::Probing, {}};
    return stateOf(probeSerialDevice(address.path()));
}

PortProbe::PortProbe(QObject* parent)
    : QObject(parent), connector_([](const NetworkAddress& address) {
          // A connection alone: what the line settings come to is for the opening to say, so
          // a server that refuses them still shows as a port to choose.
          return makeNetworkProbe(address);
      }) {}

PortProbe::~PortProbe() {
    for (const auto& connection : std::as_const(pending_))
        connection->disconnect(this);
}

void PortProbe::start(const PortMap& ports, const QString& heldKey) {
    for (const auto& connection : std::as_const(pending_)) {
        connection->disconnect(this);
        connection->close();
    }
    pending_.clear();
    states_.clear();
    for (const ComPort port : ComPort::all()) {
        const PortAddress address = ports.addressFor(port);
        const PortState now = probeNow(address, heldKey);
        states_.insert(port, now);
        if (now.kind != PortState::Kind::Probing)
            continue;
        std::shared_ptr<Transport> connection = connector_(address.networkAddress());
        PortError why;
        const auto opened = connection->open(why);
        if (opened != Transport::OpenState::Connecting) {
            connection->close();
            states_.insert(port, stateOf(why));
            continue;
        }
        connect(connection.get(), &Transport::opened, this, [this, port] {
            pending_.value(port)->close();
            answer(port, {PortState::Kind::Present, {}});
        });
        connect(connection.get(), &Transport::openFailed, this,
                [this, port](const PortError& error) { answer(port, stateOf(error)); });
        pending_.insert(port, std::move(connection));
    }
    if (pending_.isEmpty())
        QMetaObject::invokeMethod(this, &PortProbe::finished, Qt::QueuedConnection);
}

void PortProbe::answer(ComPort port, const PortState& state) {
    const auto connection = pending_.take(port);
    if (!connection)
        return;
    connection->disconnect(this);
    // It may be the sender of the signal we are running in: let it go once that returns.
    QMetaObject::invokeMethod(
        this, [connection] { Q_UNUSED(connection); }, Qt::QueuedConnection);
    states_.insert(port, state);
    emit stateKnown(port, state);
    if (pending_.isEmpty())
        emit finished();
}

QList<ComPort> listablePorts(const QMap<ComPort, PortState>& states, ComPort kept) {
    QList<ComPort> ports;
    for (const ComPort port : ComPort::all()) {
        if (port == kept || states.value(port).listable())
            ports << port;
    }
    return ports;
}
