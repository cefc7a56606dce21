#pragma once

#include "VELMPluginReportGenerator/queries/ReportQueryParams.h"

#include <QString>
#include <optional>

// The scripts of the report types that are not tabulated by period, one per type.
QString composeDeviceInfoSummarySql(const ReportQueryParams& params);
QString composeDiscoveryHistorySql(const ReportQueryParams& params);
QString composeFirmwareUpgradeSql(const ReportQueryParams& params);
QString composeConsumableSql(const ReportQueryParams& params);
QString composeAlertHistorySql(const ReportQueryParams& params);
QString composeDeviceListSql(const ReportQueryParams& params);
QString composeFirmwareInfoSql(const ReportQueryParams& params);
QString composeTonerAlarmSql(const ReportQueryParams& params);
QString composeCurrentTotalPagesSql(const ReportQueryParams& params);

// The current counter-table rows of one device, translated to display words. Nothing when the
// id is not a decimal integer: no statement is built from unchecked text.
std::optional<QString> composeCurrentUsageCountersSql(const QString& deviceId);
