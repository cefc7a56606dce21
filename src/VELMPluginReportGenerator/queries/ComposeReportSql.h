#pragma once

#include "VELMPluginReportGenerator/queries/ReportQueryParams.h"

#include <QString>

// The SQL script of one report, chosen by its report type. Replaces the counter list of the
// types with fixed counters. Empty for types that have no script here; then nothing is sent.
QString composeReportSql(ReportQueryParams& params);

// The fixed counter columns of a period report type, in column order; empty for other types.
QList<CounterSpec> fixedCounters(int reportType);
