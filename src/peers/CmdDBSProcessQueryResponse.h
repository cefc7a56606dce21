#pragma once

#include "VXNServiceFramework/packets/ResponsePacket.h"
#include "peers/DBSRow.h"

#include <QList>
#include <QString>

// One result set of a DBSProcessQuery answer: the rows of one statement. A row maps column
// names to texts; a column the row lacks reads as empty.
struct DBSResultSet {
    using Row = DBSRow;

    int lastRowId = -1; // -1: the service gave none
    QList<Row> rows;

    static QString value(const Row& row, const QString& column) { return row.value(column); }
    bool operator==(const DBSResultSet&) const = default;
};

// The answer to "DBSProcessQuery": Result and Details, then one Rows element per statement in
// request order, each Row carrying its columns as attributes.
//
// An answer can hold many thousands of rows, so the body is written and read as a stream of
// the same XML rather than through a DOM document (document() stays empty).
class CmdDBSProcessQueryResponse : public ResponsePacket {
public:
    using ResponsePacket::ResponsePacket;

    const QList<DBSResultSet>& resultSets() const { return m_resultSets; }
    QList<DBSResultSet>& resultSets() { return m_resultSets; }
    void addResultSet(DBSResultSet set) { m_resultSets.append(std::move(set)); }

    void parse(const QByteArray& body) override;
    void serialize(QByteArray& body) override;

    // For a producer that wrote the whole body itself while reading the database (the
    // database service): serialize() then answers these bytes, which must hold result 0 and
    // "OK". A later setResult() drops them (an answer that failed carries no rows).
    void setWrittenBody(QByteArray body);
    void setResult(int code, const QString& details) override;

private:
    QList<DBSResultSet> m_resultSets;
    QByteArray m_writtenBody;
};
