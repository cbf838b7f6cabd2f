#pragma once

#include <QByteArray>
#include <QString>

// Replaces `path` with `text` whole: written to a temporary file in the same folder and renamed
// over it, so a reader of the folder (node_exporter) sees the old file or the new one, never a
// part. Only a regular file (or none) is replaced. False with the reason in *error.
bool writeMetricsFile(const QString& path, const QByteArray& text, QString* error);
