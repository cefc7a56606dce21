#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <initializer_list>
#include <utility>

// One row of a database answer: column name -> text, columns ordered by name. A column the
// row lacks reads as empty.
//
// An answer holds thousands of rows with the same columns, so a row keeps its column names as
// an implicitly shared list (one list for every row of a result set) beside its values, rather
// than a map node per value.
class DBSRow {
public:
    DBSRow() = default;
    DBSRow(std::initializer_list<std::pair<QString, QString>> columns);
    // A row from columns already in name order without repeats, with one value per column.
    static DBSRow fromOrdered(QStringList columns, QStringList values);

    QString value(QStringView column) const;
    bool contains(QStringView column) const { return indexOf(column) >= 0; }
    // Sets a column's value, adding the column in name order when the row lacks it.
    void insert(const QString& column, QString value);

    qsizetype size() const { return m_columns.size(); }
    bool isEmpty() const { return m_columns.isEmpty(); }
    // Column names in order, and the values at the same positions.
    const QStringList& columns() const { return m_columns; }
    const QStringList& values() const { return m_values; }

    bool operator==(const DBSRow&) const = default;

private:
    qsizetype indexOf(QStringView column) const;
    // Where `column` is or would go.
    qsizetype lowerBound(QStringView column) const;

    QStringList m_columns;
    QStringList m_values;
};
