#pragma once

#include "align/align_cycle.h"
#include "align/align_exchange.h"
#include "align/alignment_report.h"
#include "cli/port_line.h"
#include "cli/port_result.h"
#include "cli/port_targets.h"
#include "reader_ops/exchange_runner.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QObject>
#include <QTimer>

class LineTrace;

// One alignment report as the command prints it.
struct AlignmentReading {
    int number = 0;
    bool found = false;  // the target's centre was found: the window draws a marker
    float across = 0;    // the balance: across the scan, 0.5 is centred
    float along = 0;     // the centre position: along the scan, 0.5 is centred
    bool inside = false; // both inside the window's tolerance band
    float distance = -1; // the distance fraction; -1 when it cannot be formed
};

AlignmentReading alignmentReading(int number, const AlignmentMeasure& measure);
QString alignmentHeader();
QString alignmentLine(const AlignmentReading& reading);
QJsonObject alignmentJson(const AlignmentReading& reading);

// The alignment window's exchange without the window: the start commands, the request cycle on
// its 100 ms timer, and the exit commands when it stops, so the reader never stays in alignment
// mode. A reader that sends no report for the time-out ends it as no-answer.
class AlignSession : public QObject, public LineReceiver {
    Q_OBJECT
public:
    AlignSession(const PortTarget& target, int reports, bool sideLook, double timeoutSeconds,
                 LineTrace* trace, QObject* parent = nullptr);

    void start();
    // Sends the exit commands, closes the port and finishes; once.
    void stop();
    bool isFinished() const { return finished_; }
    const PortResult& result() const { return result_; }
    void OnComm() override;

signals:
    void measured(const AlignmentReading& reading);
    // The reader sent no complete report within the cycle's time-out; said once per silence.
    void noReports();
    void finished();

private:
    void onOpened(bool ok);
    void onCycleTick();
    void end();

    PortLine line_;
    AlignCycle cycle_;
    AlignmentLine alignment_{line_.link(), cycle_};
    ExchangePlayer player_;
    QTimer cycleTimer_;
    QElapsedTimer sinceReport_;
    PortResult result_;
    int reports_ = 0;
    qint64 timeoutMs_ = 0;
    int measuredCount_ = 0;
    bool sideLook_ = false;
    bool stopping_ = false;
    bool finished_ = false;
};
