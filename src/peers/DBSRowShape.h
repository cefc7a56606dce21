#pragma once

#include "peers/DBSRow.h"

#include <QList>
#include <QStringList>
#include <QStringView>
#include <algorithm>
#include <vector>

namespace peers {
// Equality of two short texts, inline: column names are compared several times per row.
inline bool sameText(QStringView a, QStringView b) {
    return a.size() == b.size() && std::equal(a.utf16(), a.utf16() + a.size(), b.utf16());
}
} // namespace peers

// The columns of rows that arrive in some order of their own (a statement's columns, a row
// element's attributes): the name-ordered list is built once and shared by every row of that
// shape, and each value goes straight to its place.
class DBSRowShape {
public:
    // True when `names` (arrival order) are the names this shape was made from.
    bool matches(const QList<QStringView>& names) const {
        if (names.size() != m_arrivalOrder.size())
            return false;
        for (qsizetype i = 0; i < names.size(); ++i)
            if (!peers::sameText(names[i], m_arrivalOrder[i]))
                return false;
        return true;
    }
    void reshape(const QList<QStringView>& names);
    // The column of the name that arrived at `arrival`; -1 past the names.
    qsizetype columnOf(qsizetype arrival) const {
        return arrival < qsizetype(m_slot.size()) ? m_slot[arrival] : -1;
    }
    // The row of `values` (arrival order, moved from), with the shared column list. Of a
    // repeated name the later value is kept, as in a map.
    DBSRow row(QList<QString>& values) const;

private:
    QStringList m_arrivalOrder;
    QStringList m_columns;
    std::vector<qsizetype> m_slot; // arrival position -> column position
};
