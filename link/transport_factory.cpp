#include "link/transport_factory.h"

#include "link/network_transports.h"
#include "link/serial_transport.h"

TransportFactory defaultTransportFactory() {
    return [](const QString& address) -> std::unique_ptr<Transport> {
        if (auto network = makeNetworkTransport(address))
            return network;
        return std::make_unique<SerialTransport>(address);
    };
}
