#include "VELMPluginReportGenerator/charts/ChartDecorations.h"

#include "VELMPluginReportGenerator/charts/ChartCanvas.h"
#include "VELMPluginReportGenerator/charts/ChartLayout.h"
#include "VELMPluginReportGenerator/charts/ChartPalette.h"

#include <algorithm>

namespace {

constexpr int titleTop = 6;
constexpr int keySize = 10;
constexpr int keyGap = 4;
constexpr int entryGap = 16;
constexpr int rowGap = 4;

} // namespace

void drawChartTitle(ChartCanvas& canvas, const QString& title) {
    const QSize size = canvas.textSize(title, ChartFont::Bold, chartText::title);
    const int left = std::max(0, (canvas.size().width() - size.width()) / 2);
    canvas.text(title, {left, titleTop}, ChartFont::Bold, chartText::title, chartPalette::text);
}

int drawChartLegend(ChartCanvas& canvas, QPoint topLeft, const QStringList& names) {
    // Rows share one height so keys line up whatever letters the names hold.
    const int rowHeight = std::max(
        keySize,
        canvas.textSize(QStringLiteral("Ag"), ChartFont::Regular, chartText::legend).height());
    const int rightEdge = canvas.size().width() - topLeft.x();
    int x = topLeft.x();
    int y = topLeft.y();
    for (qsizetype i = 0; i < names.size(); ++i) {
        const int textWidth =
            canvas.textSize(names.at(i), ChartFont::Regular, chartText::legend).width();
        const int entryWidth = keySize + keyGap + textWidth;
        if (x > topLeft.x() && x + entryWidth > rightEdge) {
            x = topLeft.x();
            y += rowHeight + rowGap;
        }
        const int keyTop = y + (rowHeight - keySize) / 2;
        canvas.fillRect({x, keyTop, keySize, keySize},
                        chartPalette::seriesColour(static_cast<int>(i)));
        canvas.text(names.at(i), {x + keySize + keyGap, y + 1}, ChartFont::Regular,
                    chartText::legend, chartPalette::text);
        x += entryWidth + entryGap;
    }
    return y + rowHeight;
}
