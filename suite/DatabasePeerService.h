#pragma once

#include "SqlEngine.h"

#include "VXNServiceFramework/dispatch/Service.h"
#include "VXNServiceFramework/packets/PacketDOM.h"
#include "peers/CmdDBSProcessQueryRequest.h"
#include "peers/CmdDBSProcessQueryResponse.h"

// The database service: DBSProcessQuery over the SQLite file.
class DatabasePeerService : public Service {
public:
    // The code answered when a column name or a value cannot travel in the XML answer.
    static constexpr int unwritableAnswer = 1001;

    // `maxAnswerBytes`: the largest answer written; a larger one would be refused by every
    // client, so the query stops there and fails with SQLITE_TOOBIG instead.
    explicit DatabasePeerService(const SqlEngine& engine,
                                 qsizetype maxAnswerBytes = PacketDOM::maxBodySize);

    std::unique_ptr<CmdDBSProcessQueryResponse> processQuery(CmdDBSProcessQueryRequest& request);

private:
    const SqlEngine& m_engine;
    const qsizetype m_maxAnswerBytes;
};
