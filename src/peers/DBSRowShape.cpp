#include "peers/DBSRowShape.h"

#include <numeric>

void DBSRowShape::reshape(const QList<QStringView>& names) {
    m_arrivalOrder.clear();
    for (const QStringView name : names)
        m_arrivalOrder.append(name.toString());
    QList<qsizetype> order(names.size());
    std::iota(order.begin(), order.end(), 0);
    // Stable, so that a repeated name's last position is the one its column keeps.
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        return m_arrivalOrder[a] < m_arrivalOrder[b];
    });
    m_columns.clear();
    m_slot.assign(names.size(), 0);
    for (const qsizetype index : order) {
        if (m_columns.isEmpty() || m_columns.last() != m_arrivalOrder[index])
            m_columns.append(m_arrivalOrder[index]);
        m_slot[index] = m_columns.size() - 1;
    }
}

DBSRow DBSRowShape::row(QList<QString>& values) const {
    QStringList ordered(m_columns.size());
    for (qsizetype i = 0; i < values.size(); ++i)
        ordered[m_slot[i]] = std::move(values[i]);
    return DBSRow::fromOrdered(m_columns, std::move(ordered));
}
