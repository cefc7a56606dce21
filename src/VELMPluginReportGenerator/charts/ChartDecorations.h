#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>

class ChartCanvas;

// The title centred along the top edge.
void drawChartTitle(ChartCanvas& canvas, const QString& title);

// One key per series in a row from `topLeft`, wrapping at the right edge; returns the bottom
// of the legend.
int drawChartLegend(ChartCanvas& canvas, QPoint topLeft, const QStringList& names);
