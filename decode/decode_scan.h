#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The collect cycle of the decode test window, one 50 ms tick and one receive event at a time.
// It says when to trigger and what to evaluate; the window sends, reads and draws.
class DecodeScan {
public:
    enum State : qint16 {
        Idle = 0,       // the next tick triggers
        Armed = 1,      // waiting for the first characters of a report
        FirstTick = 2,  // collecting
        SecondTick = 3, // collecting
        Complete = 4,   // the next tick evaluates; nothing more is read
    };
    // Ticks without an evaluated report after which the scan falls back to Idle.
    static constexpr qint32 kTimeoutTicks = 25;
    // A report is a few dozen characters; a runaway line keeps its head and loses the rest.
    static constexpr qsizetype kReportTextCap = 64 * 1024;

    enum class Step {
        None,
        Trigger,  // send "U8", then discard what waits in the receive buffer
        Evaluate, // show `report`, then discard what waits in the receive buffer
        // A trigger went unanswered for the whole time-out: the reader has stopped answering.
        // Given once, not again until a report has come.
        NoReports,
    };
    struct TickResult {
        Step step = Step::None;
        QString report; // for Step::Evaluate
    };

    TickResult tick();
    // Whether received characters go into the report; in Complete they are dropped (the
    // evaluation that follows would discard them anyway).
    bool reads() const { return ScanState != Complete; }
    void receive(const QByteArray& data);
    // A trigger went out: a new report is awaited. The scan tick count runs on.
    void arm();
    // The window closed: no report is awaited. The tick count is kept for the next opening.
    void disarm();
    // The line to the reader is gone. True when this is news: time to show it.
    bool lineLost();
    // A fresh showing expects reports.
    void expectReports() { noReports = false; }

    // Ticks the network's round trip adds to the time-out; 0 on a local line.
    qint32 roundTripTicks = 0;

    // Set by an unanswered trigger or a lost line; cleared by the next report.
    bool noReports = false;

    qint16 ScanState = Idle;
    QString ReportText;
    qint32 ScanTickCount = 0;

private:
    void append(const QByteArray& data);
    // Ticks since the last trigger while its report is outstanding, else -1. Unlike the scan
    // tick count it starts afresh with every trigger, so a count carried over from the last
    // showing cannot pass for silence, and a reader that reports once per trigger is not
    // silent while the window waits after a report.
    qint32 ticksSinceTrigger_ = -1;
};
