#pragma once

#include "VELMPluginReportGenerator/charts/ChartLayout.h"
#include "VELMPluginReportGenerator/charts/ChartRequest.h"

#include <QByteArray>
#include <QByteArrayView>

// Draws one chart at a time from database rows. The image it answers stays valid until it
// draws again or is destroyed.
class ChartMaker {
public:
    void setSize(int width, int height) { m_layout.size = {width, height}; }
    void setPlotArea(int left, int top, int width, int height) {
        m_layout.plotArea = {left, top, width, height};
    }
    void setPlotAreaBackground(int colour, int alternateColour) {
        m_layout.plotBackground = colour;
        m_layout.plotAlternateBackground = alternateColour;
    }
    void setLegendPosition(int x, int y) { m_layout.legendPosition = {x, y}; }
    const ChartLayout& layout() const { return m_layout; }

    // The image drawn from the first result set with rows; empty when no set has rows or the
    // chart type has no drawing. Throws CVELMReportSQLGenExcept when memory runs out.
    QByteArrayView makeChart(const ChartRequest& request);

private:
    ChartLayout m_layout;
    QByteArray m_image;
};
