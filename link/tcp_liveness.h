#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// A connection whose far end vanished without closing (a device server powered off, a cable
// pulled behind a switch) shows up only when something is sent and not answered. These make
// the system find it within about 15 s: keepalive probes after 5 s of silence, every 2 s, given
// up after 5; and data sent but unacknowledged for 15 s ends the connection too.
namespace tcp_liveness {
constexpr int kIdleS = 5;
constexpr int kIntervalS = 2;
constexpr int kProbes = 5;
constexpr int kUnacknowledgedMs = 15000;

// Sets them on a connected socket; false and why when the system would not.
bool enable(qintptr socket, QString* error);
// The system's own smoothed round trip of a connected socket, from the acknowledgements of
// what went both ways (the connection's handshake to start with); none where it cannot tell.
std::optional<double> systemRoundTripMs(qintptr socket);
} // namespace tcp_liveness
