#pragma once

#include "VXNServiceFramework/ResponsePacket.h"

#include <QList>
#include <QMap>
#include <QString>

// One result set of a DBSProcessQuery answer: the rows of one statement. A row maps column
// names to texts; a column the row lacks reads as empty.
struct DBSResultSet {
    using Row = QMap<QString, QString>;

    int lastRowId = -1; // -1: the service gave none
    QList<Row> rows;

    static QString value(const Row& row, const QString& column) { return row.value(column); }
    bool operator==(const DBSResultSet&) const = default;
};

// The answer to "DBSProcessQuery": Result and Details, then one Rows element per statement in
// request order, each Row carrying its columns as attributes.
class CmdDBSProcessQueryResponse : public ResponsePacket {
public:
    using ResponsePacket::ResponsePacket;

    const QList<DBSResultSet>& resultSets() const { return m_resultSets; }
    QList<DBSResultSet>& resultSets() { return m_resultSets; }
    void addResultSet(DBSResultSet set) { m_resultSets.append(std::move(set)); }

    void parse(const QByteArray& body) override;
    void serialize(QByteArray& body) override;

private:
    QList<DBSResultSet> m_resultSets;
};
