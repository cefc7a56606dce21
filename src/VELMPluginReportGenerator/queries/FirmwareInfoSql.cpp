#include "VELMPluginReportGenerator/queries/DeviceScripts.h"
#include "VELMPluginReportGenerator/queries/ScriptParts.h"

namespace {

// Only devices that report both the engine and the network card version.
constexpr const char* selectFirmwareSql =
    R"SQL(SELECT t1.R_DeviceID AS DeviceID, t1.Value AS EngineVer, t2.Value AS NicVer
FROM DevicePropertyValues t1
JOIN devIDs_%1_ d ON d.R_DevID = t1.R_DeviceID
JOIN DevicePropertyValues t2 ON t2.R_DeviceID = t1.R_DeviceID AND t2.R_PropertyID = 38
WHERE t1.R_PropertyID = 37
ORDER BY t1.R_DeviceID;
)SQL";

} // namespace

QString composeFirmwareInfoSql(const ReportQueryParams& params) {
    return finishReportScript(overSelectedDevices(selectFirmwareSql), params);
}
