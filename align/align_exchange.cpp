#include "align/align_exchange.h"

#include "link/reader_link.h"
#include "link/round_trip.h"
#include "reader_ops/exchange_runner.h"

Exchange alignmentStartExchange() {
    return Exchange().send({QStringLiteral("W0"), QStringLiteral(".Z"), QStringLiteral("D7")});
}

Exchange alignmentExitExchange() {
    return Exchange().send({QStringLiteral("+5"), QStringLiteral("W2")});
}

void AlignmentLine::start() {
    exited_ = false;
    playExchange(link_, alignmentStartExchange());
}

void AlignmentLine::exit() {
    exited_ = true;
    playExchange(link_, alignmentExitExchange());
}

AlignCycle::TickResult AlignmentLine::tick() {
    cycle_.roundTripTicks = ticksCovering(link_.roundTripMs(), kAlignCycleIntervalMs);
    AlignCycle::TickResult result = cycle_.tick();
    if (result.step == AlignCycle::Step::Request) {
        link_.SendCommand(QStringLiteral("DZ"));
        link_.discardInput();
    }
    return result;
}

void AlignmentLine::OnComm() {
    const QByteArray input = link_.readInput();
    if (exited_)
        return;
    if (cycle_.receive(input))
        link_.SendCommand(QStringLiteral("P6"));
}
