#include "VELMPluginReportGenerator/queries/DeviceScripts.h"

namespace {

// Every device short of toner, whatever the selection; no temporary tables.
constexpr const char* tonerAlarmSql =
    R"SQL(SELECT t36.R_DeviceID AS DeviceID, t8.Value AS ModelName, t4.Value AS IP, t5.Value AS MAC,
  t36.Value AS ErrorState, t3.Value AS HostName, t7.Value AS Location, t10.Value AS Serial
FROM DevicePropertyValues t36
JOIN DevicePropertyValues t8 ON t8.R_DeviceID = t36.R_DeviceID AND t8.R_PropertyID = 8
JOIN DevicePropertyValues t4 ON t4.R_DeviceID = t36.R_DeviceID AND t4.R_PropertyID = 4
JOIN DevicePropertyValues t5 ON t5.R_DeviceID = t36.R_DeviceID AND t5.R_PropertyID = 5
JOIN DevicePropertyValues t3 ON t3.R_DeviceID = t36.R_DeviceID AND t3.R_PropertyID = 3
JOIN DevicePropertyValues t7 ON t7.R_DeviceID = t36.R_DeviceID AND t7.R_PropertyID = 7
JOIN DevicePropertyValues t10 ON t10.R_DeviceID = t36.R_DeviceID AND t10.R_PropertyID = 10
WHERE t36.R_PropertyID = 36 AND t36.Value IN ('lowToner', 'noToner')
ORDER BY t36.R_DeviceID;
)SQL";

} // namespace

QString composeTonerAlarmSql(const ReportQueryParams&) {
    return QString::fromLatin1(tonerAlarmSql);
}
