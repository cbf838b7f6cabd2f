#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QList>
#include <QPalette>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

// Shared by the benchmark programs: clocks, statistics and printing.
namespace bench {

inline qint64 clockNs(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return qint64(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

// System-wide, so a child process's readings compare with its parent's.
inline qint64 monotonicNs() {
    return clockNs(CLOCK_MONOTONIC);
}

// All threads of this process, the in-process simulated readers included.
inline qint64 processCpuNs() {
    return clockNs(CLOCK_PROCESS_CPUTIME_ID);
}

inline double ms(qint64 ns) {
    return static_cast<double>(ns) / 1e6;
}

struct Summary {
    double median = 0;
    double min = 0;
    double max = 0;
    double p90 = 0;
    int count = 0;
};

inline Summary summarize(QList<double> values) {
    Summary s;
    s.count = int(values.size());
    if (values.isEmpty())
        return s;
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    s.min = values.front();
    s.max = values.back();
    s.median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    // Nearest rank: the smallest value with at least 90 % of the runs at or below it.
    const auto rank = static_cast<qsizetype>(std::ceil(0.9 * static_cast<double>(n)));
    s.p90 = values[std::max<qsizetype>(rank, 1) - 1];
    return s;
}

inline double median(const QList<double>& values) {
    return summarize(values).median;
}

inline void print(const QString& text) {
    std::fputs(qPrintable(text), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

inline QString fixed(double value, int decimals = 1) {
    return QString::number(value, 'f', decimals);
}

// "median 512.3  min 501.0  max 551.2  p90 549.9  (n=30)" in the given unit.
inline QString describe(const Summary& s, const QString& unit, int decimals = 1) {
    return QStringLiteral("median %1%5  min %2%5  max %3%5  p90 %4%5  (n=%6)")
        .arg(fixed(s.median, decimals), fixed(s.min, decimals), fixed(s.max, decimals),
             fixed(s.p90, decimals), unit)
        .arg(s.count);
}

// Echoes how the figures were produced, so a pasted result can be re-run.
inline void printCommandLine(int argc, char* argv[]) {
    QStringList words;
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty())
        words << QStringLiteral("QT_QPA_PLATFORM=") + QString::fromLocal8Bit(platform);
    for (int k = 0; k < argc; ++k)
        words << QString::fromLocal8Bit(argv[k]);
    print(QStringLiteral("command: ") + words.join(u' '));
}

// Nobody should get a real window from a benchmark.
inline void defaultToOffscreen() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// The real event loop, as QApplication::exec() runs it; QTest::qWait would poll instead.
inline void runEventLoopFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// Value of "--name N" among the arguments, or the fallback.
inline int intOption(const QStringList& arguments, const QString& name, int fallback) {
    const qsizetype at = arguments.indexOf(name);
    if (at < 0 || at + 1 >= arguments.size())
        return fallback;
    bool ok = false;
    const int value = arguments[at + 1].toInt(&ok);
    return ok && value > 0 ? value : fallback;
}

// ShowStatus sets the label's palette just before its text; a palette that really changes
// sends PaletteChange synchronously, so this is the moment the status is set.
class StatusWatch : public QObject {
public:
    qint64 at = -1;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::PaletteChange && at < 0)
            at = monotonicNs();
        return QObject::eventFilter(watched, event);
    }
    // Puts the label back to a state every status differs from, so the next one shows.
    void reset(QLabel* label) {
        label->setPalette(QPalette());
        label->setText(QString());
        at = -1;
    }
};

} // namespace bench
