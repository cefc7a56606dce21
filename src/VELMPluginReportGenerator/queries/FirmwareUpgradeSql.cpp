#include "VELMPluginReportGenerator/queries/DeviceScripts.h"
#include "VELMPluginReportGenerator/queries/ScriptParts.h"

namespace {

constexpr const char* selectUpgradesSql =
    R"SQL(SELECT u.R_DeviceID AS DeviceID, u.FwType, u.FwVersionNew, u.FwVersionOld,
  datetime(u.UpgradeTime, 'unixepoch', 'localtime') AS UpgradeTime
FROM UpgradeHistory u
JOIN devIDs_%1_ d ON d.R_DevID = u.R_DeviceID
WHERE u.UpgradeTime >= _%3_ and u.UpgradeTime <= _%4_
ORDER BY u.R_DeviceID, u.UpgradeTime;
)SQL";

} // namespace

QString composeFirmwareUpgradeSql(const ReportQueryParams& params) {
    SqlTemplate script = overSelectedDevices(selectUpgradesSql);
    script.set(3, params.start).set(4, params.end);
    return finishReportScript(std::move(script), params);
}
