#pragma once

#include "reader_ops/default_settings.h"

#include <QtGlobal>
#include <array>

// The reader's 39 settings words, in the order "Z3" reports them.
using SettingsWords = std::array<quint16, 39>;

// The words of a reader in its standard (VORN) configuration.
inline SettingsWords standardSettingsWords() {
    SettingsWords words{};
    for (std::size_t k = 0; k < words.size(); ++k)
        words[k] = kDefaultSettingsWords[k];
    return words;
}
