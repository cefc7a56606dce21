#pragma once

#include "SqlEngine.h"

#include "VXNServiceFramework/dispatch/Service.h"
#include "peers/CmdDBSProcessQueryRequest.h"
#include "peers/CmdDBSProcessQueryResponse.h"

// The database service: DBSProcessQuery over the SQLite file.
class DatabasePeerService : public Service {
public:
    // The code answered when a column name or a value cannot travel in the XML answer.
    static constexpr int unwritableAnswer = 1001;

    explicit DatabasePeerService(const SqlEngine& engine);

    std::unique_ptr<CmdDBSProcessQueryResponse> processQuery(CmdDBSProcessQueryRequest& request);

private:
    const SqlEngine& m_engine;
};
