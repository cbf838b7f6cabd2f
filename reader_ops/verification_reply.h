#pragma once

#include "protocol/settings_words.h"

#include <QList>
#include <QString>
#include <QtGlobal>
#include <array>

// What the reply to "Z3" says, read by character positions.
struct VerificationReply {
    enum class Block {
        Valid,   // all 39 fields present
        Missing, // no "XSW", or too close to the start
        Cut,     // "XSW" found but the reply ends inside the block
    };

    bool hasVersion = false;    // a "Ver." marker was found
    bool identifierCut = false; // at most two characters follow "Ver.": no identifier at all
    QString firmware;           // identifier field without its last character
    Block block = Block::Missing;
    std::array<qint32, kSettingsWordCount> words{}; // meaningful only for a valid block

    // A field of a valid block that is not four hexadecimal digits (line noise, a byte lost
    // before it): its word still has the value HexToLong gives it, but it was not read.
    struct BadField {
        int word = 0;
        QString text; // what arrived in the field's place
        friend bool operator==(const BadField&, const BadField&) = default;
    };
    QList<BadField> badFields;
};

// True when `field` is exactly four hexadecimal digits, in either case.
bool isSettingsField(QStringView field);

VerificationReply parseVerificationReply(const QString& reply);
