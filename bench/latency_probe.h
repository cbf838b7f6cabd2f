#pragma once

#include "bench_support.h"

#include <QElapsedTimer>
#include <QList>
#include <QTimer>

namespace bench {

// Lateness of a short timer's ticks in the thread that makes it: how long the event loop kept
// everything else waiting.
struct LatencyProbe {
    QTimer timer;
    QElapsedTimer clock;
    qint64 lastNs = 0;
    int intervalMs;
    QList<double> lateMs;
    explicit LatencyProbe(int interval = 10) : intervalMs(interval) {
        timer.setTimerType(Qt::PreciseTimer);
        timer.setInterval(intervalMs);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            const qint64 now = clock.nsecsElapsed();
            lateMs << qMax(0.0, ms(now - lastNs) - intervalMs);
            lastNs = now;
        });
        clock.start();
        timer.start();
    }
};

// Nearest rank: the smallest value with at least the share p of the values at or below it.
inline double percentile(QList<double> values, double p) {
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<qsizetype>(std::ceil(p * static_cast<double>(values.size())));
    return values[std::max<qsizetype>(rank, 1) - 1];
}

} // namespace bench
