#include "program/termination_signals.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <array>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {
#ifdef Q_OS_UNIX
int g_signalPipe[2] = {-1, -1};

// Each ends the program's work the same way: Ctrl-C, a kill, the terminal hanging up, and a
// write to a pipe whose reader has gone.
constexpr std::array kEndingSignals{SIGINT, SIGTERM, SIGHUP, SIGPIPE};
std::array<struct sigaction, kEndingSignals.size()> g_previous{};

void onSignal(int signalNumber) {
    // Only async-signal-safe work here; the event loop does the rest.
    const auto byte = static_cast<char>(signalNumber);
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}
#endif
} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {}

TerminationSignals::~TerminationSignals() {
#ifdef Q_OS_UNIX
    if (!notifier_)
        return;
    for (std::size_t k = 0; k < kEndingSignals.size(); ++k)
        ::sigaction(kEndingSignals[k], &g_previous[k], nullptr);
    ::close(g_signalPipe[0]);
    ::close(g_signalPipe[1]);
    g_signalPipe[0] = g_signalPipe[1] = -1;
#endif
}

bool TerminationSignals::install() {
#ifdef Q_OS_UNIX
    if (notifier_)
        return true;
    if (::pipe(g_signalPipe) != 0)
        return false;
    for (const int fd : g_signalPipe) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, O_NONBLOCK);
    }
    notifier_ = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::onReadable);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    bool installed = true;
    for (std::size_t k = 0; k < kEndingSignals.size(); ++k)
        installed = ::sigaction(kEndingSignals[k], &action, &g_previous[k]) == 0 && installed;
    return installed;
#else
    return false;
#endif
}

void TerminationSignals::onReadable() {
#ifdef Q_OS_UNIX
    char byte = 0;
    while (::read(g_signalPipe[0], &byte, 1) == 1)
        emit received(static_cast<unsigned char>(byte));
#endif
}
