#include "scheduler/ScheduleTable.h"

#include "VXNServiceFramework/client/PeerCaller.h"
#include "peers/CmdDBSProcessQueryRequest.h"
#include "peers/CmdDBSProcessQueryResponse.h"

ScheduleQueryAnswer runScheduleStatement(PeerCaller& peers, const QString& statement) {
    CmdDBSProcessQueryRequest request;
    request.addQuery(statement);
    const std::unique_ptr<CmdDBSProcessQueryResponse> response =
        peers.call<CmdDBSProcessQueryResponse>(request);
    ScheduleQueryAnswer answer;
    answer.result = response->result();
    answer.details = response->details();
    // An answer without a result set reads as an empty table.
    if (answer.ok() && !response->resultSets().isEmpty())
        answer.rows = response->resultSets().first().rows;
    return answer;
}
