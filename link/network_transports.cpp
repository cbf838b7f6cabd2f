#include "link/network_transports.h"

#include "link/rfc2217_transport.h"

std::unique_ptr<Transport> makeNetworkTransport(const NetworkAddress& address) {
    if (address.kind == NetworkAddress::Kind::Rfc2217)
        return std::make_unique<Rfc2217Transport>(address);
    return std::make_unique<TcpTransport>(address);
}

std::unique_ptr<Transport> makeNetworkProbe(NetworkAddress address) {
    address.kind = NetworkAddress::Kind::Socket;
    return std::make_unique<TcpTransport>(address);
}
