#include "VELMPluginReportGenerator/queries/ScriptParts.h"

#include "VELMPluginReportGenerator/queries/DeviceSelection.h"

QString finishReportScript(SqlTemplate script, const ReportQueryParams& params) {
    script.set(SqlTemplate::selectionPlaceholder,
               deviceSelectionSql(params.selectionKind, params.selectionIds));
    script.setReportId(params.reportId);
    return script.text();
}

SqlTemplate overSelectedDevices(const char* selectSql) {
    return SqlTemplate(QString::fromLatin1(createDeviceIdsSql) + QString::fromLatin1(selectSql) +
                       QString::fromLatin1(dropDeviceIdsSql));
}
