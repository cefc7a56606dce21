#include "VELMPluginReportGenerator/report/ReportDatabase.h"

#include "VELMPluginReportGenerator/queries/SqlSafety.h"
#include "VXNServiceFramework/client/PeerCaller.h"
#include "peers/CmdDBSProcessQueryRequest.h"

std::unique_ptr<CmdDBSProcessQueryResponse>
ReportDatabase::run(const QStringList& statements) const {
    CmdDBSProcessQueryRequest request;
    for (const QString& statement : statements)
        request.addQuery(statement);
    return m_caller.call<CmdDBSProcessQueryResponse>(request);
}

std::unique_ptr<CmdDBSProcessQueryResponse> ReportDatabase::runScript(const QString& script) const {
    return run(splitSqlStatements(script));
}
