#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QSocketNotifier;

// Whether standard input is a terminal a person can answer on.
bool standardInputIsTerminal();

// Asks on standard error and reads one line from standard input, before any port is busy.
QString askOnTerminal(const QString& question);

// Calls `done` once a line, or the end of input, arrives on standard input, while the event
// loop keeps running the ports.
class LineWaiter : public QObject {
    Q_OBJECT
public:
    explicit LineWaiter(QObject* parent = nullptr);
    void wait(std::function<void()> done);

private:
    void onReadable();
    QSocketNotifier* notifier_ = nullptr;
    std::function<void()> done_;
};

// SIGINT and SIGTERM as a Qt signal, through a self-pipe, so the event loop can finish the
// work (take the reader out of a mode, close the port) instead of the process dying.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;
    // False when the handlers could not be installed.
    bool install();

signals:
    void received(int signalNumber);

private:
    void onReadable();
    QSocketNotifier* notifier_ = nullptr;
};
