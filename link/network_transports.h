#pragma once

#include "link/transport.h"

#include <memory>

// The transport for a network address (rfc2217://, socket://); null for anything else. A
// malformed address gives a transport whose open fails saying what is wrong with it.
std::unique_ptr<Transport> makeNetworkTransport(const QString& address);
