#include "cli/text_table.h"

#include "link/line_log.h"

QString escapedControls(const QString& text) {
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const bool control = c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() < 0xa0);
        shown += control ? printableBytes(QByteArray(1, char(c.unicode()))) : QString(c);
    }
    return shown;
}

QString alignedColumns(const QStringList& header, const QList<QStringList>& rawRows) {
    QList<QStringList> rows;
    for (const QStringList& raw : rawRows) {
        QStringList row;
        for (const QString& cell : raw)
            row << escapedControls(cell);
        rows << row;
    }
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
