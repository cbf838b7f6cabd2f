// The simulated reader's command parsing, fed in pieces of any size; its replies must read
// back as the program reads them.
#include "fuzz_input.h"
#include "reader_ops/verification_reply.h"
#include "simulator/reader_model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ReaderModel model;
    for (const QByteArray& chunk : fuzzChunks(data, size)) {
        QList<QByteArray> codes;
        const QList<QByteArray> replies = model.receive(chunk, &codes);
        FUZZ_CHECK(replies.size() <= codes.size());
        for (const QByteArray& code : codes)
            FUZZ_CHECK(code.size() == 2);
        // One command in the piece: the words it reports are the words the reader holds.
        if (codes.size() != 1 || codes.first() != "Z3")
            continue;
        FUZZ_CHECK(replies.size() == 1);
        const VerificationReply reply =
            parseVerificationReply(QString::fromLatin1(replies.first()));
        FUZZ_CHECK(reply.block == VerificationReply::Block::Valid);
        FUZZ_CHECK(reply.firmware == QString::fromLatin1(model.firmware()));
        for (int k = 0; k < kSettingsWordCount; ++k)
            FUZZ_CHECK(reply.words[k] == model.words()[k]);
    }
    FUZZ_CHECK(model.receivedBytes().size() <= ReaderModel::kMaxRecordedBytes);
    FUZZ_CHECK(model.receivedCodes().size() <= ReaderModel::kMaxRecordedCodes);
    return 0;
}
