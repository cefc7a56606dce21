#include "peers/CmdDBSProcessQueryResponse.h"

#include "peers/DomWalk.h"

namespace dom = peers::dom;

void CmdDBSProcessQueryResponse::parse(const QByteArray& body) {
    ResponsePacket::parse(body);
    m_resultSets.clear();
    dom::forEachDescendant(rootElement(), QStringLiteral("Rows"), [&](const dom::Element* rows) {
        DBSResultSet set;
        bool present = false;
        const QString lastRowId = dom::attribute(rows, QStringLiteral("LastRowID"), &present);
        if (present) {
            bool ok = false;
            const int id = lastRowId.toInt(&ok, 10);
            set.lastRowId = ok ? id : -1;
        }
        dom::forEachDescendant(rows, QStringLiteral("Row"), [&](const dom::Element* row) {
            DBSResultSet::Row columns;
            dom::forEachAttribute(row, [&](const QString& name, const QString& value) {
                columns.insert(name, value);
            });
            set.rows.append(std::move(columns));
        });
        m_resultSets.append(std::move(set));
    });
}

void CmdDBSProcessQueryResponse::serialize(QByteArray& body) {
    buildDocument();
    const QString rowsName = QStringLiteral("Rows");
    const QString rowName = QStringLiteral("Row");
    const QString lastRowIdName = QStringLiteral("LastRowID");
    for (const DBSResultSet& set : m_resultSets) {
        dom::Element* rows = dom::appendElement(rootElement(), rowsName);
        if (set.lastRowId != -1)
            dom::setAttribute(rows, lastRowIdName, QString::number(set.lastRowId));
        for (const DBSResultSet::Row& row : set.rows) {
            dom::Element* element = dom::appendElement(rows, rowName);
            for (auto it = row.cbegin(); it != row.cend(); ++it)
                dom::setAttribute(element, it.key(), it.value());
        }
    }
    ResponsePacket::serialize(body);
}
