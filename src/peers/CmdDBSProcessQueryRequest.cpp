#include "peers/CmdDBSProcessQueryRequest.h"

#include "peers/DomWalk.h"

void CmdDBSProcessQueryRequest::parse(const QByteArray& body) {
    RequestPacket::parse(body);
    m_queries.clear();
    peers::dom::forEachDescendant(rootElement(), QStringLiteral("Query"),
                                  [&](const auto* query) { m_queries.append(textContent(query)); });
}

void CmdDBSProcessQueryRequest::serialize(QByteArray& body) {
    buildDocument();
    for (const QString& query : m_queries)
        addElement(QStringLiteral("Query"), query);
    RequestPacket::serialize(body);
}
