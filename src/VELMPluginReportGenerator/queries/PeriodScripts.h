#pragma once

#include "VELMPluginReportGenerator/queries/ReportQueryParams.h"

#include <QString>

// The scripts tabulated by period. Both read the counters the composer has filled in; a period
// index outside hour..month composes nothing.

// Pages per device and period from the cumulative counter table (report types 0 to 4).
QString composeUsageSql(const ReportQueryParams& params);

// Alerts per period by kind (report type 11).
QString composeAlertTrendSql(const ReportQueryParams& params);
