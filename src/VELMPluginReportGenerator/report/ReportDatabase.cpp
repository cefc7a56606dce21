#include "VELMPluginReportGenerator/report/ReportDatabase.h"

#include "VELMPluginReportGenerator/queries/SqlSafety.h"
#include "VXNServiceFramework/app/Log.h"
#include "VXNServiceFramework/client/PeerCaller.h"
#include "VXNServiceFramework/packets/ResultCodes.h"
#include "peers/CmdDBSProcessQueryRequest.h"

std::unique_ptr<CmdDBSProcessQueryResponse>
ReportDatabase::run(const QStringList& statements) const {
    CmdDBSProcessQueryRequest request;
    for (const QString& statement : statements)
        request.addQuery(statement);
    auto answer = m_caller.call<CmdDBSProcessQueryResponse>(request);
    // Callers turn a failure into their own result code; the reason is only here.
    if (answer->result() != ResultCode::Ok)
        VELM_ERR << m_logContext << "DBSProcessQuery failed: " << answer->result() << " "
                 << answer->details();
    return answer;
}

std::unique_ptr<CmdDBSProcessQueryResponse> ReportDatabase::runScript(const QString& script) const {
    return run(splitSqlStatements(script));
}
