#pragma once

#include <QList>
#include <QObject>
#include <QTimer>
#include <functional>

// The ticks of a window's timer as each one left the window (connected after the window's own
// handler): how many there were, and at which of them `mark` held.
struct TickLog {
    int ticks = 0;
    QList<int> marked;
    std::function<bool()> mark;

    TickLog(QTimer* timer, std::function<bool()> markWhen) : mark(std::move(markWhen)) {
        connection_ = QObject::connect(timer, &QTimer::timeout, timer, [this] {
            ++ticks;
            if (mark && mark())
                marked << ticks;
        });
    }
    ~TickLog() { QObject::disconnect(connection_); }

private:
    QMetaObject::Connection connection_;
};
