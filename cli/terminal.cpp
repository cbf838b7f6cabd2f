#include "cli/terminal.h"

#include <QSocketNotifier>
#include <QTextStream>

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <string>
#include <utility>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

bool standardInputIsTerminal() {
#ifdef Q_OS_UNIX
    return ::isatty(STDIN_FILENO) == 1;
#else
    return false;
#endif
}

QString askOnTerminal(const QString& question) {
    QTextStream(stderr) << question << Qt::flush;
    std::string line;
    std::getline(std::cin, line);
    return QString::fromLocal8Bit(line.c_str());
}

LineWaiter::LineWaiter(QObject* parent) : QObject(parent) {}

void LineWaiter::wait(std::function<void()> done) {
    done_ = std::move(done);
#ifdef Q_OS_UNIX
    notifier_ = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &LineWaiter::onReadable);
#else
    std::string line;
    std::getline(std::cin, line);
    done_();
#endif
}

void LineWaiter::onReadable() {
#ifdef Q_OS_UNIX
    // Byte by byte, so nothing after the line is taken from whoever reads next.
    char c = 0;
    const ssize_t n = ::read(STDIN_FILENO, &c, 1);
    if (n == 1 && c != '\n')
        return;
    if (n < 0 && errno == EINTR)
        return;
    notifier_->setEnabled(false);
    notifier_->deleteLater();
    notifier_ = nullptr;
    if (const auto done = std::exchange(done_, nullptr))
        done();
#endif
}
