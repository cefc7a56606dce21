#pragma once

#include "VELMPluginReportGenerator/charts/ChartData.h"
#include "VELMPluginReportGenerator/charts/ChartLayout.h"
#include "VELMPluginReportGenerator/charts/ChartRequest.h"

class ChartCanvas;

// Line or bar chart (codes 0 to 3) onto a canvas of the layout's size.
void drawXYChart(ChartCanvas& canvas, const ChartLayout& layout, const ChartRequest& request,
                 const ChartData& data);

// Pie chart (codes 5 and 6) centred on the canvas; the data holds one sum per sector.
void drawPieChart(ChartCanvas& canvas, const ChartLayout& layout, const ChartRequest& request,
                  const ChartData& data);
