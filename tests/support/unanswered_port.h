#pragma once

#include <QtGlobal>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

// A port on 127.0.0.1 whose connections are never answered, as a device server that is
// switched off: a listening socket whose queue is full, so every further connection attempt
// is dropped and runs into its bound.
class UnansweredPort {
public:
    UnansweredPort() {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        auto* any = reinterpret_cast<sockaddr*>(&address);
        if (::bind(listener_, any, length) != 0 || ::listen(listener_, 0) != 0 ||
            ::getsockname(listener_, any, &length) != 0)
            qFatal("cannot listen on 127.0.0.1");
        port_ = ntohs(address.sin_port);
        // Connections that are never accepted fill the queue.
        for (int k = 0; k < 3; ++k) {
            const int filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            (void)::connect(filler, any, length);
            fillers_.push_back(filler);
        }
        ::usleep(100 * 1000);
    }
    ~UnansweredPort() {
        for (const int filler : fillers_)
            ::close(filler);
        ::close(listener_);
    }
    UnansweredPort(const UnansweredPort&) = delete;
    UnansweredPort& operator=(const UnansweredPort&) = delete;

    quint16 port() const { return port_; }

private:
    int listener_ = -1;
    quint16 port_ = 0;
    std::vector<int> fillers_;
};
