#include "peers/DBSRow.h"

#include <algorithm>

DBSRow::DBSRow(std::initializer_list<std::pair<QString, QString>> columns) {
    for (const auto& [column, value] : columns)
        insert(column, value);
}

DBSRow DBSRow::fromOrdered(QStringList columns, QStringList values) {
    Q_ASSERT(columns.size() == values.size());
    Q_ASSERT(std::is_sorted(columns.cbegin(), columns.cend()));
    DBSRow row;
    row.m_columns = std::move(columns);
    row.m_values = std::move(values);
    return row;
}

qsizetype DBSRow::lowerBound(QStringView column) const {
    const auto it =
        std::lower_bound(m_columns.cbegin(), m_columns.cend(), column,
                         [](const QString& known, QStringView wanted) { return known < wanted; });
    return it - m_columns.cbegin();
}

qsizetype DBSRow::indexOf(QStringView column) const {
    const qsizetype at = lowerBound(column);
    return at < m_columns.size() && m_columns[at] == column ? at : -1;
}

QString DBSRow::value(QStringView column) const {
    const qsizetype at = indexOf(column);
    return at < 0 ? QString() : m_values[at];
}

void DBSRow::insert(const QString& column, QString value) {
    const qsizetype at = lowerBound(column);
    if (at < m_columns.size() && m_columns[at] == column) {
        m_values[at] = std::move(value);
        return;
    }
    m_columns.insert(at, column);
    m_values.insert(at, std::move(value));
}
