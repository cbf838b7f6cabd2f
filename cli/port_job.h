#pragma once

#include "cli/command_line.h"
#include "cli/port_result.h"
#include "cli/port_targets.h"
#include "link/reader_link.h"
#include "reader_ops/reader_state.h"

#include <QObject>
#include <QTimer>
#include <functional>

class LineTrace;

// One port's command, run as a chain of steps on its own link and its own 50 ms tick: each wait
// is a deadline on that link's tick counter, so any number of ports share one event loop and
// none waits for another. The exchanges, tick counts and judgements are the main window's.
class PortJob : public QObject {
    Q_OBJECT
public:
    struct Settings {
        SubCommand command = SubCommand::Verify;
        QString reportPath; // this port's report; empty for none
        QList<int> enable;  // symbologies
        QList<int> disable;
        // identify: asks the operator to present the barcode, then calls `ready`.
        std::function<void(const QString& port, std::function<void()> ready)> presentBarcode;
    };

    PortJob(const PortTarget& target, Settings settings, LineTrace* trace,
            QObject* parent = nullptr);

    void start();
    bool isFinished() const { return finished_; }
    // A port named by "all" that does not exist: it has no row.
    bool isLeftOut() const { return leftOut_; }
    const PortResult& result() const { return result_; }

signals:
    void finished();

private:
    using Step = std::function<void()>;
    // Runs `next` once the tick counter has passed its value now plus `ticks`.
    void afterTicks(int ticks, Step next);
    void collect(const QString& code, int ticks, ReaderLink::EarlierInput earlier,
                 std::function<void(const QString&)> next);
    // "Z3", judged as the window judges it; the result takes what it found.
    void verify(std::function<void(const VerificationJudgement&)> next);
    void writeReport(const SettingsTable& words);

    void runVerify();
    void runDefaults();
    void runSave();
    void runIdentify();
    void runSymbologies();

    // Lets what was written reach the device, closes the port, and reports.
    void finish();
    void fail(PortStatus status, const QString& error);
    void onTick();

    Settings settings_;
    ReaderLink link_;
    QTimer tickTimer_;
    ReaderState state_;
    PortResult result_;
    qint64 deadline_ = 0;
    Step pending_;
    bool finished_ = false;
    bool closing_ = false;
    int drainTicks_ = 0;
    bool optional_ = false;
    bool leftOut_ = false;
};
