#include "link/round_trip.h"

#include <cmath>

bool RoundTripMeter::answerArrived(double nowMs) {
    if (!sentAt_)
        return false;
    latest_ = qMax(0.0, nowMs - *sentAt_);
    sentAt_.reset();
    return true;
}

int ticksCovering(std::optional<double> roundTripMs, int tickMs) {
    if (!roundTripMs || *roundTripMs <= 0)
        return 0;
    return static_cast<int>(std::ceil(*roundTripMs / tickMs));
}

std::optional<QString> networkTooSlow(std::optional<double> roundTripMs) {
    if (!roundTripMs || *roundTripMs <= kTooSlowRoundTripMs)
        return std::nullopt;
    return QStringLiteral("the network is too slow to judge the reader: %1 (more than %2 ms)")
        .arg(describeRoundTrip(*roundTripMs))
        .arg(kTooSlowRoundTripMs);
}

QString describeRoundTrip(double roundTripMs) {
    return QStringLiteral("round trip %1 ms").arg(qRound(roundTripMs));
}
