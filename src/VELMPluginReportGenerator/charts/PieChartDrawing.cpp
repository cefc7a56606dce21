#include "VELMPluginReportGenerator/charts/ChartCanvas.h"
#include "VELMPluginReportGenerator/charts/ChartDecorations.h"
#include "VELMPluginReportGenerator/charts/ChartDrawing.h"
#include "VELMPluginReportGenerator/charts/ChartPalette.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr int startAngle = 270; // twelve o'clock; sectors follow clockwise
constexpr double tilt = 0.6;    // a 3D pie is seen from above at an angle
constexpr int depthShare = 5;   // a 3D pie is radius / depthShare thick
constexpr double sideShade = 0.7;
constexpr int labelDistance = 10;

struct Sector {
    int index;
    double value;
    int start;
    int end;
};

// Whole degrees from the running sum, so the sectors close the circle without gaps.
std::vector<Sector> sectorsOf(const std::vector<double>& sums) {
    double total = 0.0;
    for (const double v : sums)
        total += std::max(v, 0.0);
    std::vector<Sector> sectors;
    if (total <= 0.0)
        return sectors;
    double running = 0.0;
    for (std::size_t i = 0; i < sums.size(); ++i) {
        const double value = std::max(sums[i], 0.0);
        const int start = startAngle + static_cast<int>(std::lround(running / total * 360.0));
        running += value;
        const int end = startAngle + static_cast<int>(std::lround(running / total * 360.0));
        if (value > 0.0)
            sectors.push_back({static_cast<int>(i), value / total, start, end});
    }
    return sectors;
}

QString sectorText(const QString& label, double sum, double share) {
    return QStringLiteral("%1: %2 (%3%)")
        .arg(label, QString::number(sum, 'g', 12), QString::number(share * 100.0, 'f', 1));
}

// `thickness` is the 3D pie's side, which labels below the centre keep clear of.
void drawSectorLabel(ChartCanvas& canvas, QPoint centre, QSize axes, int thickness,
                     const Sector& sector, const QString& text) {
    const double middle = (sector.start + sector.end) / 2.0 * std::numbers::pi / 180.0;
    const double dx = std::cos(middle), dy = std::sin(middle);
    const QSize size = canvas.textSize(text, ChartFont::Regular, chartText::axisLabel);
    const int x =
        centre.x() + static_cast<int>(std::lround(dx * (axes.width() / 2 + labelDistance)));
    const int y = centre.y() +
                  static_cast<int>(std::lround(dy * (axes.height() / 2 + labelDistance))) +
                  (dy > 0 ? thickness : 0);
    // Labels on the left half end at their point, those on the right start there.
    const int left = std::clamp(dx < 0 ? x - size.width() : x, 0,
                                std::max(0, canvas.size().width() - size.width()));
    canvas.text(text, {left, y - size.height() / 2}, ChartFont::Regular, chartText::axisLabel,
                chartPalette::text);
}

} // namespace

void drawPieChart(ChartCanvas& canvas, const ChartLayout& layout, const ChartRequest& request,
                  const ChartData& data) {
    const int radius = layout.size.height() / 4;
    const QPoint centre(layout.size.width() / 2, layout.size.height() / 2);
    const bool depth = request.chartType == chartCode::pie3D;
    const QSize axes(2 * radius, depth ? static_cast<int>(2 * radius * tilt) : 2 * radius);
    const std::vector<Sector> sectors =
        data.series.empty() ? std::vector<Sector>{} : sectorsOf(data.series.front());
    const int thickness = depth ? radius / depthShare : 0;
    if (depth) {
        for (int offset = thickness; offset > 0; --offset)
            for (const Sector& sector : sectors)
                canvas.filledArc(
                    centre + QPoint(0, offset), axes, sector.start, sector.end,
                    chartPalette::shade(chartPalette::seriesColour(sector.index), sideShade));
    }
    for (const Sector& sector : sectors)
        canvas.filledArc(centre, axes, sector.start, sector.end,
                         chartPalette::seriesColour(sector.index));
    for (const Sector& sector : sectors)
        drawSectorLabel(canvas, centre, axes, thickness, sector,
                        sectorText(data.labels.value(sector.index),
                                   data.series.front()[static_cast<std::size_t>(sector.index)],
                                   sector.value));
    drawChartLegend(canvas, layout.legendPosition, data.labels);
    drawChartTitle(canvas, request.title);
}
