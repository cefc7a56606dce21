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
    // a line feed. Columns are as wide as their widest text on a terminal (combining marks take
    // no column, wide East Asian characters two) and two blanks apart; a column of numbers
    // (integers or decimals, blanks allowed) is aligned right, the others left. Texts print as
    // printableLine() makes them, so that a row stays one line.
    QString format(const QString& indent = {}) const;
};

// Text from a report made safe to print on one terminal line: line breaks, tabs and every other
// control character (an escape sequence in a device name would otherwise move the cursor or
// recolour the terminal), and the marks that reorder the rest of a line, print as blanks.
QString printableLine(const QString& text);
