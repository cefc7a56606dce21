#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Rows of texts under named columns, printed aligned for a terminal.
struct TextTable {
    QStringList columns;
    QList<QStringList> rows; // one text per column; missing ones print empty

    // Adds a row given as (column, text) pairs; columns not seen before join at the end.
    void addRow(const QList<QPair<QString, QString>>& cells);

    // Header, a rule of dashes, then the rows, each line indented by `indent` and ending in
    // a line feed. Columns are as wide as their widest text and two blanks apart; line feeds
    // and tabs inside a text print as blanks so that a row stays one line.
    QString format(const QString& indent = {}) const;
};
