#pragma once

#include "link/transport.h"

// The transport for each kind of address: rfc2217:// and socket:// reach a reader on the
// network, a device path is a local serial port.
TransportFactory defaultTransportFactory();
