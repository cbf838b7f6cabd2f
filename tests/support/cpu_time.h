#pragma once

#include <QtGlobal>
#include <ctime>

// CPU time of this process (all its threads) in milliseconds.
inline qint64 processCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}
