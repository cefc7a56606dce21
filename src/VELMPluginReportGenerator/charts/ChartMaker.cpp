#include "VELMPluginReportGenerator/charts/ChartMaker.h"

#include "VELMPluginReportGenerator/charts/ChartCanvas.h"
#include "VELMPluginReportGenerator/charts/ChartData.h"
#include "VELMPluginReportGenerator/charts/ChartDrawing.h"
#include "VELMPluginReportGenerator/charts/ChartPalette.h"

#include <new>

namespace {

bool isXY(int code) {
    return code >= chartCode::line && code <= chartCode::bar3D;
}

bool isPie(int code) {
    return code == chartCode::pie || code == chartCode::pie3D;
}

QByteArray draw(const ChartLayout& layout, const ChartRequest& request, const DBSResultSet& set) {
    const ChartData data =
        isPie(request.chartType) ? readPieData(set, request) : readXYData(set, request);
    ChartCanvas canvas(layout.size.width(), layout.size.height(), chartPalette::background);
    if (isPie(request.chartType))
        drawPieChart(canvas, layout, request, data);
    else
        drawXYChart(canvas, layout, request, data);
    return canvas.encode(request.imageFormat);
}

} // namespace

QByteArrayView ChartMaker::makeChart(const ChartRequest& request) {
    m_image.clear();
    if (!isXY(request.chartType) && !isPie(request.chartType))
        return {};
    for (const DBSResultSet& set : request.resultSets) {
        if (set.rows.isEmpty())
            continue;
        try {
            m_image = draw(m_layout, request, set);
        } catch (const std::bad_alloc&) {
            throwChartMemoryFailure();
        }
        break;
    }
    return QByteArrayView(m_image);
}
