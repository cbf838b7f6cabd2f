#pragma once

#include "reader_ops/reader_state.h"

#include <QByteArray>
#include <QString>
#include <optional>

// A settings report written by this program, read back as the words a plant expects its
// readers to hold: 39 lines of one to four hexadecimal digits, ended by CR LF or LF.
// Empty when the text is not such a report; *error then names the line and what is wrong.
std::optional<SettingsTable> parseSettingsBaseline(const QByteArray& text, QString* error);

// The same, read from `path`; *error starts with the path.
std::optional<SettingsTable> readSettingsBaseline(const QString& path, QString* error);
