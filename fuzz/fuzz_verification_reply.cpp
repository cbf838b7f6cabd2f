// The reply to "Z3" as the reply buffer holds it, and the report written from its words.
#include "fuzz_input.h"
#include "reader_ops/settings_report.h"
#include "reader_ops/verification_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const VerificationReply reply =
        parseVerificationReply(QString::fromLatin1(fuzzBytes(data, size)));
    FUZZ_CHECK(reply.firmware.size() <= 9);
    if (reply.block != VerificationReply::Block::Valid)
        return 0;
    // A field is refused exactly when it is not four hexadecimal digits.
    qsizetype bad = 0;
    for (const VerificationReply::BadField& field : reply.badFields) {
        FUZZ_CHECK(field.word >= 0 && field.word < kSettingsWordCount);
        FUZZ_CHECK(!isSettingsField(field.text));
        ++bad;
    }
    FUZZ_CHECK(bad <= kSettingsWordCount);
    SettingsTable table{};
    for (int k = 0; k < kSettingsWordCount; ++k) {
        // Four hexadecimal digits at most.
        FUZZ_CHECK(reply.words[k] >= 0 && reply.words[k] <= 0xFFFF);
        table[k] = reply.words[k];
    }
    const QByteArray text = settingsReportText(table);
    const QList<QByteArray> lines = text.split('\n');
    FUZZ_CHECK(lines.size() == kSettingsWordCount + 1 && lines.last().isEmpty());
    for (qsizetype k = 0; k < kSettingsWordCount; ++k) {
        const QByteArray& line = lines[k];
        FUZZ_CHECK(line.size() >= 2 && line.size() <= 5 && line.endsWith('\r'));
        bool ok = false;
        FUZZ_CHECK(line.chopped(1).toUInt(&ok, 16) == quint32(table[k]) && ok);
    }
    return 0;
}
