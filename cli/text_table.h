#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Rows under a header, each column as wide as its widest cell, two blanks apart; the last
// column is not padded. Every line ends in a newline.
QString alignedColumns(const QStringList& header, const QList<QStringList>& rows);
