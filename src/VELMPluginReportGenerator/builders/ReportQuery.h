#pragma once

#include "peers/CmdDBSProcessQueryResponse.h"

#include <memory>

struct ReportBuild;

// Composes the report's script, sends it and checks the answer: a failed query records
// "Report generation failed.", a result set of a query that found nothing records "No available
// data for report generation."; either answers null. `progressOnAnswer` is what the answer's
// arrival adds to the progress.
std::unique_ptr<CmdDBSProcessQueryResponse> queryReport(ReportBuild& build, int progressOnAnswer,
                                                        bool chart = false);

// The composed script of the report (empty for types without one).
QString composedScript(const ReportBuild& build, bool chart);
