#pragma once

#include "peers/DBSRow.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <cstddef>

// Reads a few known columns from many rows. The rows of one result set share one column list,
// so the columns' positions are looked up once per list instead of by name for every value.
// A list is known by its address: every row read through one reader must outlive it.
template <std::size_t N> class ColumnReader {
public:
    explicit ColumnReader(std::array<QStringView, N> names) : m_names(names) {}

    // The value of column `i` (as given to the constructor) in `row`; empty when the row lacks
    // the column.
    const QString& value(const DBSRow& row, std::size_t i) {
        const qsizetype at = positions(row)[i];
        return at < 0 ? empty() : row.values().at(at);
    }
    bool contains(const DBSRow& row, std::size_t i) { return positions(row)[i] >= 0; }
    // Where column `i` is in `row`; -1 when the row lacks it.
    qsizetype indexOf(const DBSRow& row, std::size_t i) { return positions(row)[i]; }

private:
    const std::array<qsizetype, N>& positions(const DBSRow& row) {
        const QStringList& columns = row.columns();
        if (columns.constData() != m_columnsOf || columns.size() != m_size) {
            m_columnsOf = columns.constData();
            m_size = columns.size();
            for (std::size_t i = 0; i < N; ++i)
                m_positions[i] = columns.indexOf(m_names[i]);
        }
        return m_positions;
    }
    static const QString& empty() {
        static const QString nothing;
        return nothing;
    }

    std::array<QStringView, N> m_names;
    std::array<qsizetype, N> m_positions{};
    const QString* m_columnsOf = nullptr;
    qsizetype m_size = -1;
};
