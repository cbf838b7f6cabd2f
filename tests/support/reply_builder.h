#pragma once

#include "protocol/settings_words.h"

#include <QString>

// The settings block of a reply to "Z3": "XSW" at 1-based position q and `count` of the words
// after it, each at the position the reader writes it; dots fill the gaps.
inline QString settingsBlockAt(int q, const SettingsWords& words, int count = 39,
                               bool lowerCase = false) {
    QString text = QString(q - 1, QChar(u'.')) + QStringLiteral("XSW");
    for (int k = 0; k < count; ++k) {
        const int position = q + 7 + 5 * k + 7 * (k / 10); // 1-based
        text = text.leftJustified(position - 1, QChar(u'.'));
        const QString field = QStringLiteral("%1").arg(words[k], 4, 16, QChar(u'0'));
        text += lowerCase ? field.toLower() : field.toUpper();
    }
    return text;
}

// A whole reply: the block, then the firmware line, so that q can be small.
inline QString z3ReplyWithBlockAt(int q, const SettingsWords& words = kDefaultSettingsWords,
                                  int count = 39, bool lowerCase = false) {
    return settingsBlockAt(q, words, count, lowerCase) + QStringLiteral("\r\nVer. 5 KWMR5817\r\n");
}
