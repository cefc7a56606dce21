#include "VELMPluginReportGenerator/queries/DeviceScripts.h"
#include "VELMPluginReportGenerator/queries/ScriptParts.h"
#include "VELMPluginReportGenerator/registry/PropertyNames.h"

namespace {

// One row per supply: the cells of columns 1 to 5 of the same table row side by side. A
// missing cell leaves its column empty rather than hiding the supply.
constexpr const char* selectSuppliesSql =
    R"SQL(SELECT t1.R_DeviceID AS DeviceID, t1.RowIndex, t1.Value AS SupplyType, t2.Value AS Description,
  t3.Value AS Unit, t4.Value AS MaxCapacity, t5.Value AS Level
FROM DevicePropertyValues t1
JOIN devIDs_%1_ d ON d.R_DevID = t1.R_DeviceID
LEFT JOIN DevicePropertyValues t2 ON t2.R_DeviceID = t1.R_DeviceID AND t2.R_PropertyID = t1.R_PropertyID AND t2.RowIndex = t1.RowIndex AND t2.R_ColumnID = 2
LEFT JOIN DevicePropertyValues t3 ON t3.R_DeviceID = t1.R_DeviceID AND t3.R_PropertyID = t1.R_PropertyID AND t3.RowIndex = t1.RowIndex AND t3.R_ColumnID = 3
LEFT JOIN DevicePropertyValues t4 ON t4.R_DeviceID = t1.R_DeviceID AND t4.R_PropertyID = t1.R_PropertyID AND t4.RowIndex = t1.RowIndex AND t4.R_ColumnID = 4
LEFT JOIN DevicePropertyValues t5 ON t5.R_DeviceID = t1.R_DeviceID AND t5.R_PropertyID = t1.R_PropertyID AND t5.RowIndex = t1.RowIndex AND t5.R_ColumnID = 5
WHERE t1.R_PropertyID = _%20_ AND t1.R_ColumnID = 1
ORDER BY t1.R_DeviceID, t1.RowIndex;
)SQL";

} // namespace

QString composeConsumableSql(const ReportQueryParams& params) {
    SqlTemplate script = overSelectedDevices(selectSuppliesSql);
    script.set(20, reportRegistry::propertyId::supplyTable);
    return finishReportScript(std::move(script), params);
}
