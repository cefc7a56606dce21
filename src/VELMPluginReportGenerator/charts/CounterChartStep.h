#pragma once

#include "VELMPluginReportGenerator/builders/ReportBuild.h"
#include "VELMPluginReportGenerator/charts/ChartRequest.h"

// Size and plot area of a report's chart.
namespace reportChart {
inline constexpr int width = 600;
inline constexpr int height = 350;
inline constexpr int plotLeft = 80;
inline constexpr int plotTop = 80;
inline constexpr int plotWidth = 480;
inline constexpr int plotHeight = 150;
} // namespace reportChart

class ChartMaker;

// Sets the report's chart size and plot area.
void setReportChartLayout(ChartMaker& maker);

// What a counter report of these settings draws from the query's result sets.
ChartRequest counterChartRequest(const ReportSettings& settings,
                                 const QList<DBSResultSet>& resultSets);

// The chart of a counter report: draws the query answer, uploads the image as a temporary file
// of the web service and writes its path into the body as ChartPath.
class CounterChartStep : public ReportChartStep {
public:
    void build(ReportBuild& build, const CmdDBSProcessQueryResponse& answer) override;
};
