#include "VELMPluginReportGenerator/builders/ReportQuery.h"

#include "VELMPluginReportGenerator/builders/ReportBuild.h"
#include "VELMPluginReportGenerator/queries/ComposeReportSql.h"
#include "VELMPluginReportGenerator/queries/SqlSafety.h"
#include "VELMPluginReportGenerator/registry/PropertyNames.h"
#include "VELMPluginReportGenerator/report/ReportResult.h"

#include "VXNServiceFramework/packets/ResultCodes.h"

namespace {

constexpr int scriptSplitProgress = 10;

bool hasEmptyQueryResult(const CmdDBSProcessQueryResponse& answer) {
    for (const DBSResultSet& set : answer.resultSets())
        if (set.lastRowId == -1 && set.rows.isEmpty())
            return true;
    return false;
}

} // namespace

QString composedScript(const ReportBuild& build, bool chart) {
    ReportQueryParams params;
    params.reportId = build.reportId;
    params.reportType = build.settings.type.value_or(-1);
    params.period = build.settings.interval;
    params.selectionKind = build.selection.kind == DeviceSelection::AllDevices
                               ? SelectionKind::AllDevices
                               : SelectionKind::Devices;
    // The report checked its ids when it was created; nothing unchecked goes into the script.
    params.selectionIds = decimalIdList(build.selection.deviceIds).value_or(QString());
    if (build.settings.summary) {
        const QString name = build.definition.parameter(QStringLiteral("GroupBy"));
        GroupBySpec groupBy;
        groupBy.key = name == QStringLiteral("Group") ? GroupBySpec::deviceGroups
                                                      : reportRegistry::propertyIdFromName(name);
        groupBy.name = name;
        params.groupBy = groupBy;
    }
    params.start = build.settings.rangeStart;
    params.end = build.settings.rangeEnd;
    params.chart = chart;
    return composeReportSql(params);
}

std::unique_ptr<CmdDBSProcessQueryResponse> queryReport(ReportBuild& build, int progressOnAnswer,
                                                        bool chart) {
    const QStringList statements = splitSqlStatements(composedScript(build, chart));
    build.progress.advance(scriptSplitProgress);
    auto answer = build.database.run(statements);
    build.progress.advance(progressOnAnswer);
    if (answer->result() != ResultCode::Ok) {
        build.progress.fail(ReportResult::GenerationFailed, ReportResult::generationFailedText);
        return nullptr;
    }
    if (hasEmptyQueryResult(*answer)) {
        build.progress.fail(ReportResult::NoData, ReportResult::noDataText);
        return nullptr;
    }
    return answer;
}
