#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The request/report cycle of the alignment window, one 100 ms tick and one chunk of received
// data at a time. It says what to send; the window sends it.
class AlignCycle {
public:
    enum State : qint16 { Idle = 0, AwaitingStart = 1, Collecting = 2, ReportReady = 3 };

    static constexpr char kStartMarker = '\x01';
    static constexpr char kEndMarker = '\x02';
    // Ticks since the request after which a wait is given up.
    static constexpr qint32 kStartTimeout = 5;
    static constexpr qint32 kReportTimeout = 20;
    // A report body is some 500 characters. Past this without its end marker, the report is
    // given up like one that timed out.
    static constexpr qsizetype kReportTextCap = 64 * 1024;

    enum class Step {
        None,
        Request, // send "DZ", then discard what waits in the receive buffer
        Process, // process `report`
        // A request of this showing went unanswered: show that nothing is found, and say why.
        // Given once when the reports stop, not again until one has come.
        NoReports,
    };
    struct TickResult {
        Step step = Step::None;
        QString report; // the body, for Step::Process
    };

    TickResult tick();
    // Takes one chunk of received data. True when it completed a report: time to send "P6".
    bool receive(const QByteArray& data);
    // The line to the reader is gone. True when this is news: time to show it.
    bool lineLost();
    // A fresh showing expects reports until one of its own requests goes unanswered; a wait
    // left over from the last showing proves nothing.
    void expectReports() {
        noReports = false;
        askedThisShowing_ = false;
    }

    // Cycle ticks the network's round trip adds to both waits; 0 on a local line.
    qint32 roundTripTicks = 0;

    // Set by a wait that timed out or a lost line; cleared by the next complete report.
    bool noReports = false;

    qint16 CycleState = Idle;
    QString ReportText;
    qint32 TickCount = 0;

private:
    void giveUpIfRunaway();
    TickResult timedOut();
    bool askedThisShowing_ = false;
};
