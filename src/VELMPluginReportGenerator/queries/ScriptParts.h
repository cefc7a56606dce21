#pragma once

#include "VELMPluginReportGenerator/queries/ReportQueryParams.h"
#include "VELMPluginReportGenerator/queries/SqlTemplate.h"

// Pieces shared by the report scripts.

// Creates devIDs_<id>_ and fills it from the device selection.
inline constexpr const char* createDeviceIdsSql =
    "CREATE TEMP TABLE devIDs_%1_ (R_DevID INTEGER PRIMARY KEY);\n"
    "INSERT INTO devIDs_%1_ _%2_\n";
inline constexpr const char* dropDeviceIdsSql = "DROP TABLE devIDs_%1_;\n";

// A script that selects its rows from devIDs_<id>_: create and fill it, select, drop it.
SqlTemplate overSelectedDevices(const char* selectSql);

// Fills the device selection and, last of all, the report id into a script whose other
// placeholders the caller has set.
QString finishReportScript(SqlTemplate script, const ReportQueryParams& params);
