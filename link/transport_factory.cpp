#include "link/transport_factory.h"

#include "link/network_transports.h"
#include "link/serial_transport.h"

TransportFactory defaultTransportFactory() {
    return [](const PortAddress& address) -> std::unique_ptr<Transport> {
        if (address.isNetwork())
            return makeNetworkTransport(address.networkAddress());
        return std::make_unique<SerialTransport>(address.path());
    };
}
