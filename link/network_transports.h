#pragma once

#include "link/port_address.h"
#include "link/transport.h"

#include <memory>

// The transport for a reader on the network: RFC 2217 or raw TCP, as the address says.
std::unique_ptr<Transport> makeNetworkTransport(const NetworkAddress& address);

// The probe of a network address: a plain connection to the same place, opened and closed to
// find out whether anything is there. What the line settings come to is for the opening to say,
// so a server that refuses them still shows as a port to choose.
std::unique_ptr<Transport> makeNetworkProbe(NetworkAddress address);
