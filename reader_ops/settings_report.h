#pragma once

#include "reader_ops/reader_state.h"

#include <QByteArray>
#include <QString>

// 39 lines of upper-case hexadecimal without leading zeros, each ended by CR LF.
QByteArray settingsReportText(const SettingsTable& settings);

// Replaces the report atomically: on failure the previous file stays as it was.
bool writeSettingsReport(const QString& path, const SettingsTable& settings, QString* error);

// Where the report goes when nothing else is asked for.
QString defaultSettingsReportPath();
