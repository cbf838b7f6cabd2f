#include "app/display_check.h"

#include <QByteArray>
#include <QStringList>

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
#include <QDeadlineTimer>
#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {
// Qt's own options take one dash or two.
QByteArray qtOption(int argc, char* argv[], const char* name, bool* given) {
    const QByteArray single = QByteArray("-") + name;
    const QByteArray dashed = QByteArray("--") + name;
    for (int k = 1; k < argc; ++k) {
        const QByteArray word(argv[k]);
        if (word == single || word == dashed) {
            *given = true;
            return k + 1 < argc ? QByteArray(argv[k + 1]) : QByteArray();
        }
    }
    *given = false;
    return {};
}

constexpr int kConnectTimeoutMs = 1500;

QString errnoText(int error) {
    QString text = QString::fromLocal8Bit(std::strerror(error));
    if (!text.isEmpty())
        text[0] = text[0].toLower();
    return text;
}

// A connect that gives up after a short while. Empty when something accepted, else why not.
QString tryConnect(int family, const sockaddr* address, socklen_t length) {
    const int fd = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return errnoText(errno);
    int error = 0;
    if (::connect(fd, address, length) != 0) {
        error = errno;
        if (error == EAGAIN) {
            error = 0; // a listener whose queue is full is still there
        } else if (error == EINPROGRESS) {
            pollfd ready{fd, POLLOUT, 0};
            const int polled = ::poll(&ready, 1, kConnectTimeoutMs);
            socklen_t size = sizeof error;
            if (polled == 0)
                error = ETIMEDOUT;
            else if (polled < 0 || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
                error = errno;
        }
    }
    ::close(fd);
    return error == 0 ? QString() : errnoText(error);
}

QString tryLocalSocket(const QByteArray& path, bool abstract) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const qsizetype offset = abstract ? 1 : 0; // an abstract name starts with a NUL
    if (path.size() + offset >= qsizetype(sizeof address.sun_path))
        return QStringLiteral("the socket name is too long");
    std::memcpy(address.sun_path + offset, path.constData(), size_t(path.size()));
    const auto length =
        socklen_t(offsetof(sockaddr_un, sun_path) + offset + path.size() + (abstract ? 0 : 1));
    return tryConnect(AF_UNIX, reinterpret_cast<const sockaddr*>(&address), length);
}

// An X display name is [protocol/][host]:number[.screen]. Local servers listen on
// /tmp/.X11-unix/X<number> (on Linux also under the same abstract name), remote ones on TCP
// port 6000 + number. Names the cause when libxcb could not connect; host names other than
// localhost are not looked up again here (a lookup could hang).
QString xSocketProblem(const QByteArray& name) {
    const qsizetype colon = name.lastIndexOf(':');
    bool numbered = false;
    const int number = colon < 0 ? -1 : name.mid(colon + 1).split('.').value(0).toInt(&numbered);
    if (!numbered || number < 0)
        return QStringLiteral("not a display name");
    QByteArray host = name.left(colon);
    host = host.mid(host.indexOf('/') + 1);
    if (host.isEmpty() || host == "unix") {
        const QByteArray path = "/tmp/.X11-unix/X" + QByteArray::number(number);
        if (tryLocalSocket(path, true).isEmpty())
            return {};
        const QString problem = tryLocalSocket(path, false);
        return problem.isEmpty() ? problem
                                 : QString::fromLatin1(path) + QStringLiteral(": ") + problem;
    }
    const bool localhost = host == "localhost";
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV | (localhost ? 0 : AI_NUMERICHOST);
    addrinfo* found = nullptr;
    const QByteArray port = QByteArray::number(6000 + number);
    if (const int looked = ::getaddrinfo(host.constData(), port.constData(), &hints, &found)) {
        if (!localhost)
            return {}; // a host name
        return QString::fromLocal8Bit(::gai_strerror(looked));
    }
    QString problem = QStringLiteral("no address");
    for (const addrinfo* a = found; a; a = a->ai_next) {
        problem = tryConnect(a->ai_family, a->ai_addr, a->ai_addrlen);
        if (problem.isEmpty())
            break;
    }
    ::freeaddrinfo(found);
    return problem;
}

// What libxcb makes of the display: it reads XAUTHORITY, connects and is let in or refused by
// the server. It tells the server's reason only on standard error, and it can wait for ever on
// a server that never answers, so it runs in a child whose standard error we read, given up on
// after the same bound as a connect. Empty when the server let us in.
struct XHandshake {
    bool answered = false;
    int error = 0; // xcb_connection_has_error()
    QString said;
};

XHandshake xHandshake(const QByteArray& name) {
    XHandshake result;
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return {true, 0, {}}; // no way to ask here: Qt will find out
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(out[0]);
        ::close(out[1]);
        return {true, 0, {}};
    }
    if (child == 0) {
        ::dup2(out[1], STDERR_FILENO);
        xcb_connection_t* connection = xcb_connect(name.constData(), nullptr);
        const int error = xcb_connection_has_error(connection);
        xcb_disconnect(connection);
        ::_exit(error);
    }
    ::close(out[1]);
    QByteArray said;
    const QDeadlineTimer deadline(kConnectTimeoutMs);
    for (;;) {
        pollfd ready{out[0], POLLIN, 0};
        const int polled = ::poll(&ready, 1, int(deadline.remainingTime()));
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled <= 0)
            break;
        char buffer[512];
        const ssize_t got = ::read(out[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            result.answered = got == 0; // the child is done
            break;
        }
        said.append(buffer, got);
    }
    ::close(out[0]);
    if (!result.answered)
        ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    result.error = WIFEXITED(status) ? WEXITSTATUS(status) : XCB_CONN_ERROR;
    result.said = QString::fromLocal8Bit(said).simplified();
    return result;
}

// Empty when the X server let us in, else what it did, to follow its quoted name.
QString xServerProblem(const QByteArray& name) {
    const XHandshake handshake = xHandshake(name);
    if (!handshake.answered)
        return QStringLiteral("did not answer within %1 s").arg(double(kConnectTimeoutMs) / 1000);
    if (handshake.error == 0)
        return {};
    if (!handshake.said.isEmpty()) // the server's own words, such as a missing cookie
        return QStringLiteral("refused the connection (%1; check XAUTHORITY)").arg(handshake.said);
    QString cause = xSocketProblem(name);
    if (cause.isEmpty()) {
        switch (handshake.error) {
        case XCB_CONN_CLOSED_PARSE_ERR:
            cause = QStringLiteral("not a display name");
            break;
        case XCB_CONN_CLOSED_INVALID_SCREEN:
            cause = QStringLiteral("no such screen");
            break;
        default:
            cause = QStringLiteral("the connection failed");
        }
    }
    return QStringLiteral("cannot be reached (%1)").arg(cause);
}

// WAYLAND_DISPLAY is a socket path, or a name in XDG_RUNTIME_DIR.
QString waylandProblem(const QByteArray& name) {
    if (name.startsWith('/'))
        return tryLocalSocket(name, false);
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.isEmpty())
        return QStringLiteral("XDG_RUNTIME_DIR is not set");
    return tryLocalSocket(runtime + '/' + name, false);
}

// A name from the environment, kept on the one line.
QString shown(const QByteArray& name) {
    return QString::fromLocal8Bit(name).simplified();
}
} // namespace
#endif

QString displayProblem(int argc, char* argv[]) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    bool platformGiven = false;
    qtOption(argc, argv, "platform", &platformGiven);
    if (platformGiven || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return {};
    bool displayGiven = false;
    QByteArray x = qtOption(argc, argv, "display", &displayGiven);
    if (!displayGiven)
        x = qgetenv("DISPLAY");
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");

    QStringList causes;
    if (x.isEmpty() && wayland.isEmpty())
        causes << QStringLiteral("no display is set (DISPLAY and WAYLAND_DISPLAY are not set)");
    if (!wayland.isEmpty()) {
        const QString problem = waylandProblem(wayland);
        if (problem.isEmpty())
            return {};
        causes << QStringLiteral("the Wayland display \"%1\" cannot be reached (%2)")
                      .arg(shown(wayland), problem);
    }
    if (!x.isEmpty()) {
        const QString problem = xServerProblem(x);
        if (problem.isEmpty())
            return {};
        causes << QStringLiteral("the X display \"%1\" %2").arg(shown(x), problem);
    }
    return QStringLiteral("ksr-utility: cannot open the window: %1. Run it on a desktop, under "
                          "\"xvfb-run -a ksr-utility\", or use a command that needs no display "
                          "(such as --list-ports; see --help).")
        .arg(causes.join(QStringLiteral(" and ")));
#else
    // Elsewhere the platform's own window system is always there.
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    return {};
#endif
}
