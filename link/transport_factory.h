#pragma once

#include "link/transport.h"

// The transport for each kind of address: a local device path for now.
TransportFactory defaultTransportFactory();
