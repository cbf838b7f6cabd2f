#include "program/standard_output.h"

#include <QTextStream>

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#endif

namespace {
bool g_outputClosed = false;
} // namespace

void guardStandardStreams() {
#ifdef Q_OS_UNIX
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        g_outputClosed = g_outputClosed || fd == STDOUT_FILENO;
        // Read-only: the lowest free number is `fd`, and a write to it fails with EBADF.
        const int held = ::open("/dev/null", O_RDONLY);
        if (held != fd && held >= 0)
            ::close(held);
    }
    ::signal(SIGPIPE, SIG_IGN);
#endif
}

int standardOutputStatus(int status) {
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    if (flushed && !std::ferror(stdout))
        return status;
    const int error = errno;
    QString why = QStringLiteral("the result could not be written to standard output");
    if (error != 0)
        why += QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error));
    QTextStream(stderr) << "ksr-utility: " << why << Qt::endl;
    return status == 0 ? 1 : status;
}

bool standardOutputGone(QString* why) {
    if (g_outputClosed) {
        if (why)
            *why = QStringLiteral("standard output is closed");
        return true;
    }
#ifdef Q_OS_UNIX
    pollfd output{STDOUT_FILENO, 0, 0};
    if (::poll(&output, 1, 0) != 1 || (output.revents & (POLLERR | POLLHUP | POLLNVAL)) == 0)
        return false;
    if (why)
        *why = QStringLiteral("standard output was closed by its reader");
    return true;
#else
    Q_UNUSED(why);
    return false;
#endif
}
