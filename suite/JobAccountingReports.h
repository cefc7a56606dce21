#pragma once

#include "JobAccountingQuery.h"

#include "VELMPluginReportGenerator/jobaccounting/messages/JACReport.h"

#include <functional>

class SqliteConnection;

// Computes a job accounting report from the job log: every counter is the sum of the pages of
// the matching jobs within StartTime..EndTime, per user and device. `progress` hears the steps
// (below 100) as they are done. Throws SqliteError.
JACReport::c_Report computeJobAccountingReport(SqliteConnection& db,
                                               const JobAccountingQuery& query,
                                               const std::function<void(int)>& progress);
