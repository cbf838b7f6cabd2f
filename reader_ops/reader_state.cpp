#include "reader_ops/reader_state.h"

#include "protocol/settings_words.h"

void ReaderState::fillDefaultSettings() {
    for (int k = 0; k < kSettingsWordCount; ++k)
        DefaultSettings[k] = kDefaultSettingsWords[k];
}
