// What the reader sends while a barcode is presented for identification.
#include "fuzz_input.h"
#include "reader_ops/identification_verdict.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString reply = QString::fromLatin1(fuzzBytes(data, size));
    const int digit = identificationFamilyDigit(reply);
    FUZZ_CHECK(digit >= 0 && digit <= 9);
    const std::optional<Prompt> verdict = identificationVerdict(reply);
    // Only digits 7 to 9 leave the operator without an answer.
    FUZZ_CHECK(verdict.has_value() == (reply.size() < 2 || digit < 7));
    if (verdict)
        FUZZ_CHECK(!verdict->text.isEmpty() && verdict->buttons == Prompt::Buttons::Ok);
    return 0;
}
