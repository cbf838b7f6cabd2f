#include "link/tcp_liveness.h"

#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace tcp_liveness {
namespace {
bool set(qintptr socket, int level, int name, int value, QString* error) {
    if (::setsockopt(static_cast<int>(socket), level, name, &value, sizeof value) == 0)
        return true;
    if (error)
        *error = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}
} // namespace

bool enable(qintptr socket, QString* error) {
    if (socket < 0)
        return false;
    return set(socket, SOL_SOCKET, SO_KEEPALIVE, 1, error) &&
           set(socket, IPPROTO_TCP, TCP_KEEPIDLE, kIdleS, error) &&
           set(socket, IPPROTO_TCP, TCP_KEEPINTVL, kIntervalS, error) &&
           set(socket, IPPROTO_TCP, TCP_KEEPCNT, kProbes, error) &&
           set(socket, IPPROTO_TCP, TCP_USER_TIMEOUT, kUnacknowledgedMs, error);
}

std::optional<double> systemRoundTripMs(qintptr socket) {
    if (socket < 0)
        return std::nullopt;
    tcp_info info{};
    socklen_t size = sizeof info;
    if (::getsockopt(static_cast<int>(socket), IPPROTO_TCP, TCP_INFO, &info, &size) != 0 ||
        info.tcpi_rtt == 0)
        return std::nullopt;
    return info.tcpi_rtt / 1000.0; // microseconds
}
} // namespace tcp_liveness
