#include "TextTable.h"

namespace {

QString oneLine(QString text) {
    for (QChar& c : text)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    return text;
}

QString line(const QString& indent, const QStringList& cells, const QList<qsizetype>& widths) {
    QString text = indent;
    for (qsizetype i = 0; i < widths.size(); ++i) {
        const QString cell = oneLine(cells.value(i));
        text += i + 1 < widths.size() ? cell.leftJustified(widths[i] + 2) : cell;
    }
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text + QLatin1Char('\n');
}

} // namespace

void TextTable::addRow(const QList<QPair<QString, QString>>& cells) {
    QStringList row(columns.size());
    for (const auto& [column, text] : cells) {
        qsizetype at = columns.indexOf(column);
        if (at < 0) {
            columns.append(column);
            row.append(QString());
            at = columns.size() - 1;
        }
        row[at] = text;
    }
    rows.append(row);
}

QString TextTable::format(const QString& indent) const {
    QList<qsizetype> widths;
    for (const QString& column : columns)
        widths.append(column.size());
    for (const QStringList& row : rows)
        for (qsizetype i = 0; i < widths.size(); ++i)
            widths[i] = std::max(widths[i], oneLine(row.value(i)).size());
    QStringList rules;
    for (qsizetype width : widths)
        rules.append(QString(width, QLatin1Char('-')));
    QString text = line(indent, columns, widths) + line(indent, rules, widths);
    for (const QStringList& row : rows)
        text += line(indent, row, widths);
    return text;
}
