// Alignment reports through the request cycle into the measurement, and bodies of any shape
// straight into the measurement.
#include "align/align_cycle.h"
#include "align/alignment_report.h"
#include "fuzz_input.h"

#include <cmath>

namespace {
bool within(float value, float low, float high) {
    return value >= low && value <= high;
}

void measure(QStringView body) {
    for (const bool sideLook : {false, true}) {
        const AlignmentMeasure m = measureReport(body, sideLook);
        FUZZ_CHECK(m.n >= 0 && m.n <= 101);
        FUZZ_CHECK(m.centreIndex == -1 || (m.centreIndex >= 2 && m.centreIndex <= m.n));
        // Marker and bar positions are fractions of their boxes.
        FUZZ_CHECK(within(m.centrePosition, 0, 1) && std::isfinite(m.balance));
        FUZZ_CHECK(m.distanceFraction == -1 || within(m.distanceFraction, 0, 1));
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    AlignCycle cycle;
    FUZZ_CHECK(cycle.tick().step == AlignCycle::Step::Request);
    for (const QByteArray& chunk : fuzzChunks(data, size)) {
        if (!cycle.receive(chunk))
            continue;
        const AlignCycle::TickResult result = cycle.tick();
        FUZZ_CHECK(result.step == AlignCycle::Step::Process && result.report.endsWith(u'\r'));
        measure(result.report);
        FUZZ_CHECK(cycle.tick().step == AlignCycle::Step::Request);
    }
    measure(QString::fromLatin1(fuzzBytes(data, size)));
    return 0;
}
