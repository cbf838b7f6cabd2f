#include "cli/text_table.h"

QString alignedColumns(const QStringList& header, const QList<QStringList>& rows) {
    QList<qsizetype> widths;
    for (const QString& title : header)
        widths << title.size();
    for (const QStringList& row : rows) {
        for (qsizetype k = 0; k < row.size() && k < widths.size(); ++k)
            widths[k] = qMax(widths[k], row[k].size());
    }
    QString text;
    const auto line = [&](const QStringList& cells) {
        QString out;
        for (qsizetype k = 0; k < cells.size(); ++k) {
            const bool last = k + 1 == cells.size();
            out += last ? cells[k] : cells[k].leftJustified(widths.value(k) + 2);
        }
        text += out + u'\n';
    };
    line(header);
    for (const QStringList& row : rows)
        line(row);
    return text;
}
