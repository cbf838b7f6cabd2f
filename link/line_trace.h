#pragma once

#include <QByteArray>
#include <QLoggingCategory>
#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

class QFile;

// The line's traffic as debug messages: QT_LOGGING_RULES="ksr.link.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcLink)

// Milliseconds since the program started (the first call, at the latest).
double traceMilliseconds();
void startTraceClock();

// One trace line, without its newline: time, port, what happened, then for data the bytes in
// hex and in printable form ("." for anything else).
enum class TraceDirection { Sent, Received };
QByteArray traceDataLine(double ms, const QString& port, TraceDirection direction,
                         const QByteArray& bytes);
QByteArray traceEventLine(double ms, const QString& port, const QString& event);

// A trace file ("-": standard error) written by a thread of its own, so a slow disk or a full
// pipe never holds up the event loop. A file that cannot be opened or written gives one warning
// on standard error and the trace stops; nothing else changes.
class LineTrace {
public:
    explicit LineTrace(const QString& path);
    ~LineTrace();
    LineTrace(const LineTrace&) = delete;
    LineTrace& operator=(const LineTrace&) = delete;

    bool isActive() const { return active_ && !failed_; }
    // Queues one line; it is written in order with all others.
    void write(const QByteArray& line);

    // Lines queued beyond this wait for nobody: they are counted and dropped.
    static constexpr qsizetype kQueueCap = 8 * 1024 * 1024;

private:
    bool openWithoutWaiting(const QString& path);
    bool failOpen(const QString& why);
    void run();
    void warnOnce(const QString& why);

    QString path_;
    std::unique_ptr<QFile> file_;
    bool active_ = false;
    bool warned_ = false;
    std::atomic<bool> failed_{false};

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<QByteArray> queue_;
    qsizetype queuedBytes_ = 0;
    qint64 dropped_ = 0;
    bool stopping_ = false;
    QString failure_; // set by the writer when a write failed
    std::thread writer_;
};
