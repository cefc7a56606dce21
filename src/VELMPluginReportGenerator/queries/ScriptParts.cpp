#include "VELMPluginReportGenerator/queries/ScriptParts.h"

#include "VELMPluginReportGenerator/queries/DeviceSelection.h"

QString finishReportScript(SqlTemplate script, const ReportQueryParams& params) {
    script.set(SqlTemplate::selectionPlaceholder,
               deviceSelectionSql(params.selectionKind, params.selectionIds));
    script.setReportId(params.reportId);
    return script.text();
}
