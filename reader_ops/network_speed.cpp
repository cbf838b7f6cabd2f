#include "reader_ops/network_speed.h"

#include "link/reader_link.h"
#include "link/round_trip.h"
#include "reader_ops/message_text.h"

bool refuseSlowNetwork(OperationContext& context) {
    const std::optional<double> roundTrip = context.link.roundTripMs();
    if (!networkTooSlow(roundTrip))
        return false;
    context.prompter.warn(Messages::tr("The network to %1 is too slow to judge the reader: "
                                       "round trip %2 ms (more than %3 ms).")
                              .arg(context.link.currentComPort().label())
                              .arg(qRound(*roundTrip))
                              .arg(kTooSlowRoundTripMs));
    return true;
}
