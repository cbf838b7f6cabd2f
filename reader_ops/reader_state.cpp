#include "reader_ops/reader_state.h"

#include "reader_ops/default_settings.h"

void ReaderState::fillDefaultSettings() {
    for (int k = 0; k < kSettingsWordCount; ++k)
        DefaultSettings[k] = kDefaultSettingsWords[k];
}
