#pragma once

#include "protocol/settings_words.h"

#include <QString>
#include <optional>

// Where a simulated reader keeps the words "Z2" stored, so they survive a power cycle:
// 39 lines of four hexadecimal digits.
std::optional<SettingsWords> readPowerOnFile(const QString& path, QString* error);
bool writePowerOnFile(const QString& path, const SettingsWords& words, QString* error);
