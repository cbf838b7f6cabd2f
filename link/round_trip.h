#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// The time a message takes to a device server and back, from this side's own requests and the
// server's answers to them: what every reply of a reader behind it takes on top of the reader.
// Pure: the caller gives the time.
class RoundTripMeter {
public:
    // A request left unanswered this long is given up: the server does not answer that kind.
    static constexpr double kGiveUpMs = 10000;

    // A request went out at `nowMs`; one is timed at a time, so a later one is not sent while
    // this one waits (see awaiting()).
    void requestSent(double nowMs) { sentAt_ = nowMs; }
    // An answer came at `nowMs`. True when it was the first answer to the request timed: the
    // round trip is measured anew.
    bool answerArrived(double nowMs);
    bool awaiting(double nowMs) const { return sentAt_ && nowMs - *sentAt_ < kGiveUpMs; }
    // The round trip last measured; none before the first answer.
    std::optional<double> latestMs() const { return latest_; }

private:
    std::optional<double> sentAt_;
    std::optional<double> latest_;
};

// Whole ticks of `tickMs` that cover `roundTripMs`; 0 for none (a local line).
int ticksCovering(std::optional<double> roundTripMs, int tickMs);

// Above this round trip a reader's answer cannot be told from silence within the waits this
// program gives a reader: it says so instead of blaming the reader.
inline constexpr int kTooSlowRoundTripMs = 2000;
// Why no reader can be judged over this network, naming the round trip; none when it can.
std::optional<QString> networkTooSlow(std::optional<double> roundTripMs);
// The round trip as the trace and the Line window show it: "round trip 302 ms".
QString describeRoundTrip(double roundTripMs);
