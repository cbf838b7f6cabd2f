#include "link/reset_watch.h"

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

void ResetWatch::watch(qintptr descriptor) {
    release();
#ifdef Q_OS_LINUX
    if (descriptor >= 0)
        fd_ = ::fcntl(int(descriptor), F_DUPFD_CLOEXEC, 0);
#else
    Q_UNUSED(descriptor);
#endif
}

bool ResetWatch::wasReset() const {
#ifdef Q_OS_LINUX
    if (fd_ < 0)
        return false;
    tcp_info info{};
    socklen_t size = sizeof info;
    if (::getsockopt(fd_, IPPROTO_TCP, TCP_INFO, &info, &size) != 0)
        return false;
    // A server's FIN leaves our half open (CLOSE_WAIT) while this descriptor lives; a reset
    // closes both at once.
    return info.tcpi_state == TCP_CLOSE;
#else
    return false;
#endif
}

void ResetWatch::release() {
#ifdef Q_OS_LINUX
    if (fd_ >= 0)
        ::close(fd_);
#endif
    fd_ = -1;
}
