#include "link/transport_factory.h"

#include "link/serial_transport.h"

TransportFactory defaultTransportFactory() {
    return [](const QString& address) -> std::unique_ptr<Transport> {
        return std::make_unique<SerialTransport>(address);
    };
}
