#pragma once

#include "link/transport.h"

#include <memory>

// The transport for a network address (rfc2217://, socket://); null for anything else. A
// malformed address gives a transport whose open fails saying what is wrong with it.
std::unique_ptr<Transport> makeNetworkTransport(const QString& address);

// The probe of a network address: a plain connection to the same place, opened and closed to
// find out whether anything is there (null for anything else). What the line settings come to
// is for the opening to say, so a server that refuses them still shows as a port to choose.
std::unique_ptr<Transport> makeNetworkProbe(const QString& address);
