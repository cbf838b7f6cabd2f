#pragma once

#include "align/align_cycle.h"
#include "link/line_receiver.h"
#include "reader_ops/exchange.h"

class ReaderLink;

// The alignment's exchange, for the window and the command alike: the start commands, one
// request per cycle tick with what waits discarded, "P6" after every complete report, and the
// exit commands, so the reader never stays in alignment mode.
inline constexpr int kAlignCycleIntervalMs = 100;
Exchange alignmentStartExchange();
Exchange alignmentExitExchange();

class AlignmentLine : public LineReceiver {
public:
    AlignmentLine(ReaderLink& link, AlignCycle& cycle) : link_(link), cycle_(cycle) {}

    void start();
    // One cycle tick: sends the request itself when it is time; what is left (a report to
    // process, a silence to show) is the caller's.
    AlignCycle::TickResult tick();
    // Sends "+5" and "W2": the last frames the reader hears. What it sends after them is read
    // and dropped, never answered, until the next start().
    void exit();
    void OnComm() override;

private:
    ReaderLink& link_;
    AlignCycle& cycle_;
    bool exited_ = false;
};
