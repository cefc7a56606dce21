#pragma once

#include "VXNServiceFramework/packets/RequestPacket.h"

#include <QStringList>

// "DBSProcessQuery": SQL statements for the database service, one Query element each, run in
// order.
class CmdDBSProcessQueryRequest : public RequestPacket {
public:
    static inline const QString commandName = QStringLiteral("DBSProcessQuery");

    CmdDBSProcessQueryRequest() : RequestPacket(commandName) {}

    void addQuery(const QString& sql) { m_queries.append(sql); }
    const QStringList& queries() const { return m_queries; }

    void parse(const QByteArray& body) override;
    void serialize(QByteArray& body) override;

private:
    QStringList m_queries;
};
