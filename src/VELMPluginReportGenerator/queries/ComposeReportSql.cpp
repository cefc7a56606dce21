#include "VELMPluginReportGenerator/queries/ComposeReportSql.h"

#include "VELMPluginReportGenerator/queries/DeviceScripts.h"
#include "VELMPluginReportGenerator/queries/PeriodScripts.h"
#include "VELMPluginReportGenerator/queries/SqlSafety.h"
#include "VELMPluginReportGenerator/registry/ReportTypes.h"

using namespace reportRegistry;

namespace {

// The id list reaches the SQL as it is, so it must be nothing but decimal ids.
bool selectionIsSafe(const ReportQueryParams& params) {
    if (params.selectionKind == SelectionKind::AllDevices)
        return true;
    return decimalIdList(params.selectionIds.split(QLatin1Char(','))) == params.selectionIds;
}

} // namespace

QString composeReportSql(ReportQueryParams& params) {
    if (!selectionIsSafe(params))
        return {};
    if (reportBodyKind(params.reportType) == ReportBodyKind::CounterReport) {
        params.counters = fixedCounters(params.reportType);
        return params.reportType == RT_ALERT_TREND ? composeAlertTrendSql(params)
                                                   : composeUsageSql(params);
    }
    switch (params.reportType) {
    case RT_DEVICE_INFO_SUMMARY:
        return composeDeviceInfoSummarySql(params);
    case RT_DEVICE_DISCOVERY_HISTORY:
        return composeDiscoveryHistorySql(params);
    case RT_DEVICE_FW_UPGRADE:
        return composeFirmwareUpgradeSql(params);
    case RT_CONSUMABLE_INFO:
        return composeConsumableSql(params);
    case RT_ALERT_HISTORY:
        return composeAlertHistorySql(params);
    case RT_DEVICE_LIST:
        return composeDeviceListSql(params);
    case RT_DEVICE_FIRMWARE_INFO:
        return composeFirmwareInfoSql(params);
    case RT_CONSUMABLE_TONER:
        return composeTonerAlarmSql(params);
    case RT_USAGE_CURRENT_TOTAL_PAGES:
        return composeCurrentTotalPagesSql(params);
    default:
        return {};
    }
}
