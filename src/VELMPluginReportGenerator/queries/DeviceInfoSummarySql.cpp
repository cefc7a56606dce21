#include "VELMPluginReportGenerator/queries/DeviceScripts.h"
#include "VELMPluginReportGenerator/queries/ScriptParts.h"

namespace {

// Current values of every property kept without history; the property and column names come
// from their descriptions.
constexpr const char* selectSummarySql =
    R"SQL(SELECT t1.R_DeviceID, t3.NAme AS PropName, t4.Name AS PropColumnName, t1.RowIndex, t1.Value
FROM DevicePropertyValues t1
JOIN devIDs_%1_ t2 ON t2.R_DevID = t1.R_DeviceID
JOIN DevicePropertyDescr t3 ON t3.PropertyID = t1.R_PropertyID
LEFT JOIN PropertyColumnDescr t4 ON t4.R_PropertyID = t1.R_PropertyID AND t4.ColumnID = t1.R_ColumnID
WHERE t3.StoreHistory = 0
ORDER BY t1.R_DeviceID, t1.R_PropertyID, t1.RowIndex, t1.R_ColumnID;
)SQL";

} // namespace

QString composeDeviceInfoSummarySql(const ReportQueryParams& params) {
    return finishReportScript(overSelectedDevices(selectSummarySql), params);
}
