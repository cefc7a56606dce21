#include "peers/CmdDBSProcessQueryRequest.h"

#include "VXNServiceFramework/dom/DomBuild.h"
#include "VXNServiceFramework/dom/DomRead.h"

void CmdDBSProcessQueryRequest::parse(const QByteArray& body) {
    parseReadable(body);
    m_queries.clear();
    dom::forEachDescendant(rootElement(), QStringLiteral("Query"),
                           [&](const auto* query) { m_queries.append(textContent(query)); });
}

void CmdDBSProcessQueryRequest::serialize(QByteArray& body) {
    buildDocument();
    for (const QString& query : m_queries)
        addElement(QStringLiteral("Query"), query);
    RequestPacket::serialize(body);
}
