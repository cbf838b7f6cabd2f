// A settings report read back as a plant's baseline (--expect): any file's bytes.
#include "fuzz_input.h"
#include "reader_ops/settings_baseline.h"
#include "reader_ops/settings_report.h"

#include <QString>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QString error;
    const auto words = parseSettingsBaseline(fuzzBytes(data, size), &error);
    if (!words) {
        // Refused: the message names a line of the file (or the one after its last).
        FUZZ_CHECK(error.startsWith(QStringLiteral("line ")));
        const int line = error.section(u' ', 1, 1).chopped(1).toInt();
        FUZZ_CHECK(line >= 1 && line <= 40);
        return 0;
    }
    // Taken: 39 words of 16 bits, and the report written from them reads back the same.
    for (int k = 0; k < kSettingsWordCount; ++k)
        FUZZ_CHECK((*words)[static_cast<std::size_t>(k)] >= 0 &&
                   (*words)[static_cast<std::size_t>(k)] <= 0xFFFF);
    const auto again = parseSettingsBaseline(settingsReportText(*words), &error);
    FUZZ_CHECK(again && *again == *words);
    return 0;
}
