#pragma once

#include "VELMPluginReportGenerator/charts/ChartRequest.h"

#include <QStringList>
#include <vector>

// The numbers of one chart, read from one result set.
struct ChartData {
    QStringList labels; // x labels (XY) or sector labels (pie)
    // XY: one vector per series with one value per row. Pie: one vector holding each series' sum.
    std::vector<std::vector<double>> series;
};

// A value that is not a finite number counts 0.
double chartValue(const QString& text);

// One value per row and series; a row without a series column leaves 0 there.
ChartData readXYData(const DBSResultSet& set, const ChartRequest& request);
// Per series the sum over all rows; the series names label the sectors.
ChartData readPieData(const DBSResultSet& set, const ChartRequest& request);
