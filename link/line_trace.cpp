#include "link/line_trace.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#endif

Q_LOGGING_CATEGORY(lcLink, "ksr.link", QtInfoMsg)

namespace {
QElapsedTimer& traceClock() {
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock;
}

QByteArray prefix(double ms, const QString& port) {
    return QByteArray::number(ms, 'f', 3).rightJustified(10, ' ') + ' ' + port.toLocal8Bit() + ' ';
}
} // namespace

void startTraceClock() {
    traceClock();
}

double traceMilliseconds() {
    return static_cast<double>(traceClock().nsecsElapsed()) / 1e6;
}

QByteArray traceDataLine(double ms, const QString& port, TraceDirection direction,
                         const QByteArray& bytes) {
    QByteArray printable = bytes;
    for (char& c : printable) {
        if (c < 0x20 || c > 0x7e)
            c = '.';
    }
    return prefix(ms, port) + (direction == TraceDirection::Sent ? "sent     " : "received ") +
           bytes.toHex(' ').toUpper() + " |" + printable + '|';
}

QByteArray traceEventLine(double ms, const QString& port, const QString& event) {
    return prefix(ms, port) + event.toLocal8Bit();
}

LineTrace::LineTrace(const QString& path) : path_(path), file_(std::make_unique<QFile>()) {
    bool opened = false;
    if (path == QStringLiteral("-")) {
        opened = file_->open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered,
                             QFileDevice::DontCloseHandle);
    } else {
        opened = openWithoutWaiting(path);
    }
    if (!opened) {
        warnOnce(file_->errorString());
        return;
    }
#ifdef Q_OS_UNIX
    // A reader of the trace that goes away is a failed write, not the end of the program.
    ::signal(SIGPIPE, SIG_IGN);
#endif
    active_ = true;
    writer_ = std::thread([this] { run(); });
}

bool LineTrace::openWithoutWaiting(const QString& path) {
#ifdef Q_OS_UNIX
    // Opening a FIFO for writing waits for its reader; without one, say so and trace nothing.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        const int error = errno;
        if (error == ENXIO)
            return failOpen(QStringLiteral("it is a FIFO that nothing reads"));
        return failOpen(QString::fromLocal8Bit(std::strerror(error)));
    }
    // Once open, the writer thread may wait on a slow reader: that holds up nothing else.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return file_->open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered,
                       QFileDevice::AutoCloseHandle);
#else
    file_->setFileName(path);
    return file_->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered);
#endif
}

bool LineTrace::failOpen(const QString& why) {
    warnOnce(why);
    return false;
}

LineTrace::~LineTrace() {
    if (writer_.joinable()) {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_one();
        writer_.join();
    }
    if (failed_)
        warnOnce(failure_);
}

void LineTrace::write(const QByteArray& line) {
    if (!active_)
        return;
    if (failed_) {
        QString why;
        {
            const std::lock_guard lock(mutex_);
            why = failure_;
        }
        warnOnce(why);
        active_ = false;
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        if (queuedBytes_ + line.size() + 1 > kQueueCap) {
            ++dropped_;
            return;
        }
        if (dropped_ > 0) {
            queue_.push_back(QByteArrayLiteral("(") + QByteArray::number(dropped_) +
                             " trace lines dropped: the trace could not keep up)\n");
            dropped_ = 0;
        }
        queue_.push_back(line + '\n');
        queuedBytes_ += line.size() + 1;
    }
    wake_.notify_one();
}

void LineTrace::run() {
#ifdef Q_OS_UNIX
    // A reader of the trace that goes away fails this thread's write; the signal it raises is
    // not the program's to act on.
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
#endif
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty() && stopping_)
            return;
        std::deque<QByteArray> batch;
        batch.swap(queue_);
        queuedBytes_ = 0;
        lock.unlock();
        QByteArray text;
        for (const QByteArray& line : batch)
            text += line;
        const bool written = file_->write(text) == text.size();
        lock.lock();
        if (!written) {
            failure_ = file_->errorString();
            failed_ = true;
            return;
        }
    }
}

void LineTrace::warnOnce(const QString& why) {
    if (warned_)
        return;
    warned_ = true;
    const QString where = path_ == QStringLiteral("-") ? QStringLiteral("standard error") : path_;
    QTextStream(stderr) << "ksr-utility: the trace cannot be written to " << where << ": " << why
                        << "; tracing stops." << Qt::endl;
}
