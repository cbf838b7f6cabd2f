// Decode reports as the decode test window collects them, and the percentage it reads.
#include "decode/decode_report.h"
#include "decode/decode_scan.h"
#include "fuzz_input.h"

#include <cmath>

namespace {
void evaluate(QStringView report) {
    const std::optional<DecodeReport> parsed = parseDecodeReport(report);
    if (!parsed)
        return;
    FUZZ_CHECK(!std::isnan(parsed->percentage));
    FUZZ_CHECK(parsed->data.size() < report.size());
    // The gauge is never drawn outside its box.
    const double white = whiteFraction(parsed->percentage);
    FUZZ_CHECK(white >= 0 && white <= 1);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    DecodeScan scan;
    FUZZ_CHECK(scan.tick().step == DecodeScan::Step::Trigger);
    for (const QByteArray& chunk : fuzzChunks(data, size)) {
        if (scan.reads())
            scan.receive(chunk);
        const DecodeScan::TickResult result = scan.tick();
        if (result.step == DecodeScan::Step::Evaluate)
            evaluate(result.report);
    }
    const QString whole = QString::fromLatin1(fuzzBytes(data, size));
    evaluate(whole);
    FUZZ_CHECK(!std::isnan(lenientNumber(whole)));
    return 0;
}
