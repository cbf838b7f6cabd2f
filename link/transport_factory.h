#pragma once

#include "link/transport.h"

// The transport for each kind of address: rfc2217:// and socket:// reach a reader on the
// network, anything else is a local device path.
TransportFactory defaultTransportFactory();
