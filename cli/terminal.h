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
