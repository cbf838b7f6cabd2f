#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// `text` safe to print on a terminal: control characters by their names in angle brackets
// ("<LF>", "<ESC>"), so a device name cannot draw a row or move the cursor.
QString escapedControls(const QString& text);

// Rows under a header, each column as wide as its widest cell, two blanks apart; the last
// column is not padded. Every line ends in a newline. Control characters in cells are escaped.
QString alignedColumns(const QStringList& header, const QList<QStringList>& rawRows);
