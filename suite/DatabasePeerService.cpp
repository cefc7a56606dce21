#include "DatabasePeerService.h"

#include "VXNServiceFramework/Log.h"
#include "VXNServiceFramework/XercesString.h"

#include <xercesc/util/XMLChar.hpp>

namespace {
// A column that is not an XML name (such as "count(*)") cannot be written as an attribute.
QString invalidColumn(const QList<DBSResultSet>& sets, int* query) {
    for (int i = 0; i < sets.size(); ++i) {
        if (sets[i].rows.isEmpty())
            continue;
        for (auto it = sets[i].rows.first().cbegin(); it != sets[i].rows.first().cend(); ++it) {
            if (!XERCES_CPP_NAMESPACE::XMLChar1_0::isValidName(toXml(it.key()))) {
                *query = i;
                return it.key();
            }
        }
    }
    return {};
}
} // namespace

DatabasePeerService::DatabasePeerService(const SqlEngine& engine) : m_engine(engine) {
    addHandler(CmdDBSProcessQueryRequest::commandName, this, &DatabasePeerService::processQuery);
}

std::unique_ptr<CmdDBSProcessQueryResponse>
DatabasePeerService::processQuery(CmdDBSProcessQueryRequest& request) {
    auto response = std::make_unique<CmdDBSProcessQueryResponse>();
    SqlOutcome outcome = m_engine.run(request.queries());
    if (outcome.code != 0) {
        VELM_ERR << "DBSProcessQuery: " << outcome.message;
        response->setResult(outcome.code, outcome.message);
        return response;
    }
    int query = -1;
    if (const QString column = invalidColumn(outcome.resultSets, &query); !column.isEmpty()) {
        const QString message =
            QStringLiteral("Query %1 of %2: the column name '%3' is not a valid XML name; give "
                           "the column an alias")
                .arg(query + 1)
                .arg(request.queries().size())
                .arg(column);
        VELM_ERR << "DBSProcessQuery: " << message;
        response->setResult(columnNameError, message);
        return response;
    }
    response->resultSets() = std::move(outcome.resultSets);
    return response;
}
