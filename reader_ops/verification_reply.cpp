#include "reader_ops/verification_reply.h"

#include "protocol/hex_to_long.h"

#include <algorithm>

namespace {
// Offsets from the first character of "XSW" (the reader's fixed layout).
constexpr qsizetype fieldOffset(int word) {
    return 7 + 5 * word + 7 * (word / 10);
}
constexpr qsizetype kFieldWidth = 4;
constexpr qsizetype kBlockLength = fieldOffset(38) + kFieldWidth;
// "XSW" counts only from the tenth character on.
constexpr qsizetype kFirstBlockIndex = 9;

constexpr qsizetype kIdentifierOffset = 6;
constexpr qsizetype kIdentifierFieldWidth = 10;
} // namespace

bool isSettingsField(QStringView field) {
    return field.size() == kFieldWidth && std::all_of(field.begin(), field.end(), [](QChar c) {
               return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') ||
                      (c >= u'a' && c <= u'f');
           });
}

VerificationReply parseVerificationReply(const QString& reply) {
    VerificationReply result;
    const qsizetype version = reply.indexOf(QLatin1String("Ver."));
    if (version < 0)
        return result;
    result.hasVersion = true;
    QString field = reply.mid(version + kIdentifierOffset, kIdentifierFieldWidth);
    if (field.isEmpty()) {
        result.identifierCut = true;
        return result;
    }
    field.chop(1);
    result.firmware = field;

    const qsizetype block = reply.indexOf(QLatin1String("XSW"));
    if (block < kFirstBlockIndex) {
        result.block = VerificationReply::Block::Missing;
        return result;
    }
    if (reply.size() < block + kBlockLength) {
        result.block = VerificationReply::Block::Cut;
        return result;
    }
    const QStringView text(reply);
    for (int k = 0; k < kSettingsWordCount; ++k) {
        const QStringView settingsField = text.mid(block + fieldOffset(k), kFieldWidth);
        result.words[k] = HexToLong(settingsField);
        if (!isSettingsField(settingsField))
            result.badFields.append({k, settingsField.toString()});
    }
    result.block = VerificationReply::Block::Valid;
    return result;
}
