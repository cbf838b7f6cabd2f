#pragma once

#include "reader_ops/operation_context.h"
#include "reader_ops/reader_state.h"

#include <QByteArray>
#include <QString>

// 39 lines of upper-case hexadecimal without leading zeros, each ended by CR LF.
QByteArray settingsReportText(const SettingsTable& settings);

// Replaces the report atomically: on failure the previous file stays as it was.
bool writeSettingsReport(const QString& path, const SettingsTable& settings, QString* error);

// The warning for a report that could not be written: the path on a line of its own, then
// the reason; the previous report is mentioned only when there is one.
QString reportFailureMessage(const QString& path, const QString& reason, bool previousKept);

// Writes ReaderSettings to the context's report path. A failure is told in a "Warning", once a
// run for each path.
void saveSettingsReport(OperationContext& context);

// Where the report goes when nothing else is asked for.
QString defaultSettingsReportPath();
