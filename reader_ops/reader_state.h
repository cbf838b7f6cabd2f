#pragma once

#include "protocol/settings_words.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <array>

// Settings tables: entries 0 to 38 hold the 39 settings words; 39 and 40 are never used.
using SettingsTable = std::array<qint32, 41>;

// What the whole program knows of the reader, kept for the whole run.
struct ReaderState {
    SettingsTable DefaultSettings{};
    SettingsTable ReaderSettings{};
    QString FWVersion;
    // Report paths the operator has been told could not be written; told once a run.
    QStringList reportFailuresTold;

    // Fills DefaultSettings with the expected words; done once, before the first verification.
    void fillDefaultSettings();
};
