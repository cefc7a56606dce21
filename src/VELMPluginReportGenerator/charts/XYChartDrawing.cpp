#include "VELMPluginReportGenerator/charts/AxisScale.h"
#include "VELMPluginReportGenerator/charts/ChartCanvas.h"
#include "VELMPluginReportGenerator/charts/ChartDecorations.h"
#include "VELMPluginReportGenerator/charts/ChartDrawing.h"
#include "VELMPluginReportGenerator/charts/ChartPalette.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double slant = 45.0;
constexpr double slantSine = 0.70710678;
constexpr int tickLength = 4;
constexpr int labelGap = 4;
constexpr int titleGap = 6;
constexpr double labelPitchShare = 1.5; // of the line height, across slanted labels
constexpr int edgeMargin = 4;
constexpr double barGroupShare = 0.8; // of a category's width; the rest separates groups
// The back faces of 3D bars and line ribbons go this far up and right, less where the shape is
// narrower (down to a minimum), so that dense charts keep their depth near the plot area.
constexpr int depth3D = 8;
constexpr int minDepth3D = 2;
constexpr int lineThickness = 2;
constexpr int markerSize = 5;
constexpr double markerMinSlot = 12.0; // categories narrower than this get no markers
constexpr double topShade = 1.35;
constexpr double sideShade = 0.7;

struct Frame {
    QRect plot;
    AxisScale scale;
    int categories = 0;

    double slot() const { return static_cast<double>(plot.width()) / categories; }
    double centre(int i) const { return plot.left() + (i + 0.5) * slot(); }
    int y(double value) const {
        return plot.bottom() - static_cast<int>(std::lround(scale.fraction(value) * plot.height()));
    }
};

int depthWithin(int width) {
    return std::min(depth3D, std::max(minDepth3D, width));
}

bool is3D(int code) {
    return code == chartCode::line3D || code == chartCode::bar3D;
}

bool isBar(int code) {
    return code == chartCode::bar || code == chartCode::bar3D;
}

AxisScale scaleFor(const ChartData& data) {
    double lowest = 0.0, highest = 0.0;
    for (const auto& values : data.series)
        for (const double v : values) {
            lowest = std::min(lowest, v);
            highest = std::max(highest, v);
        }
    return AxisScale::covering(lowest, highest);
}

QString tickText(double value) {
    return QString::number(static_cast<qint64>(std::llround(value)));
}

bool isColour(int value) {
    return value != ChartLayout::libraryDefault && (value & 0xFF000000) == 0;
}

void drawPlotBackground(ChartCanvas& canvas, const ChartLayout& layout, const Frame& frame) {
    if (!isColour(layout.plotBackground) && !isColour(layout.plotAlternateBackground))
        return;
    const std::vector<double> ticks = frame.scale.ticks();
    for (std::size_t i = 0; i + 1 < ticks.size(); ++i) {
        const int colour = i % 2 == 1 && isColour(layout.plotAlternateBackground)
                               ? layout.plotAlternateBackground
                               : layout.plotBackground;
        if (!isColour(colour))
            continue;
        const int top = frame.y(ticks[i + 1]);
        canvas.fillRect({frame.plot.left(), top, frame.plot.width(), frame.y(ticks[i]) - top},
                        colour);
    }
}

// Grid lines and value labels; returns the left edge of the widest label.
int drawValueAxis(ChartCanvas& canvas, const Frame& frame) {
    int leftmost = frame.plot.left();
    for (const double tick : frame.scale.ticks()) {
        const int y = frame.y(tick);
        canvas.line({frame.plot.left(), y}, {frame.plot.right(), y}, chartPalette::gridLine);
        canvas.line({frame.plot.left() - tickLength, y}, {frame.plot.left(), y},
                    chartPalette::axis);
        const QString text = tickText(tick);
        const QSize size = canvas.textSize(text, ChartFont::Regular, chartText::axisLabel);
        const int left = frame.plot.left() - tickLength - labelGap - size.width();
        canvas.text(text, {left, y - size.height() / 2}, ChartFont::Regular, chartText::axisLabel,
                    chartPalette::text);
        leftmost = std::min(leftmost, left);
    }
    return leftmost;
}

void drawBar(ChartCanvas& canvas, const QRect& front, int colour, bool depth) {
    canvas.fillRect(front, colour);
    if (!depth)
        return;
    const int d = depthWithin(front.width());
    const int l = front.left(), r = front.right() + 1, t = front.top(), b = front.bottom() + 1;
    canvas.filledPolygon({{l, t}, {l + d, t - d}, {r + d, t - d}, {r, t}},
                         chartPalette::shade(colour, topShade));
    canvas.filledPolygon({{r, t}, {r + d, t - d}, {r + d, b - d}, {r, b}},
                         chartPalette::shade(colour, sideShade));
}

void drawBars(ChartCanvas& canvas, const Frame& frame, const ChartData& data, bool depth) {
    const double group = frame.slot() * barGroupShare;
    const double barWidth = group / static_cast<double>(data.series.size());
    const int zero = frame.y(0.0);
    for (int i = 0; i < frame.categories; ++i) {
        const double groupLeft = frame.centre(i) - group / 2.0;
        // Left to right, so each bar's front covers the depth of the one before.
        for (std::size_t s = 0; s < data.series.size(); ++s) {
            const double value = data.series[s][static_cast<std::size_t>(i)];
            if (value == 0.0)
                continue;
            const int left = static_cast<int>(std::lround(groupLeft + s * barWidth));
            const int right =
                std::max(left + 1, static_cast<int>(std::lround(groupLeft + (s + 1) * barWidth)));
            const int top = std::min(zero, frame.y(value));
            const int height = std::max(1, std::abs(frame.y(value) - zero));
            drawBar(canvas, {left, top, right - left, height},
                    chartPalette::seriesColour(static_cast<int>(s)), depth);
        }
    }
}

std::vector<QPoint> linePoints(const Frame& frame, const std::vector<double>& values) {
    std::vector<QPoint> points;
    // A category narrower than a pixel could round its centre past the right edge.
    for (int i = 0; i < frame.categories; ++i)
        points.emplace_back(
            std::min(static_cast<int>(std::lround(frame.centre(i))), frame.plot.right()),
            frame.y(values[static_cast<std::size_t>(i)]));
    return points;
}

void drawLines(ChartCanvas& canvas, const Frame& frame, const ChartData& data, bool depth) {
    std::vector<std::vector<QPoint>> lines;
    for (const auto& values : data.series)
        lines.push_back(linePoints(frame, values));
    // Every ribbon first, so that no ribbon hides a line. As deep as a bar of the category's
    // width would be: the last one ends no further right of the plot area than 3D bars do.
    const int d = depthWithin(static_cast<int>(frame.slot()));
    if (depth)
        for (std::size_t s = 0; s < lines.size(); ++s)
            for (std::size_t i = 0; i + 1 < lines[s].size(); ++i) {
                const QPoint a = lines[s][i], b = lines[s][i + 1];
                const QPoint back(d, -d);
                canvas.filledPolygon(
                    {a, b, b + back, a + back},
                    chartPalette::shade(chartPalette::seriesColour(static_cast<int>(s)), topShade));
            }
    const bool markers = frame.slot() >= markerMinSlot || frame.categories == 1;
    for (std::size_t s = 0; s < lines.size(); ++s) {
        const int colour = chartPalette::seriesColour(static_cast<int>(s));
        for (std::size_t i = 0; i + 1 < lines[s].size(); ++i)
            canvas.line(lines[s][i], lines[s][i + 1], colour, lineThickness);
        if (markers)
            for (const QPoint& p : lines[s])
                canvas.fillRect(
                    {p.x() - markerSize / 2, p.y() - markerSize / 2, markerSize, markerSize},
                    colour);
    }
}

// Neighbouring slanted labels lie slot * sin(45) apart across their direction; they need their
// line height and half as much again, or antialiased ink and descenders touch the next label.
int categoryLabelEvery(double slot, int lineHeight) {
    const double pitch = lineHeight * labelPitchShare;
    return std::max(1, static_cast<int>(std::ceil(pitch / (slot * slantSine) - 1e-9)));
}

struct FittedLabel {
    QString text;
    int width = 0;
};

// Shortens a label with an ellipsis until its slanted extent fits.
FittedLabel fittedLabel(const ChartCanvas& canvas, const QString& label, int maxWidth) {
    FittedLabel fitted{label,
                       canvas.textSize(label, ChartFont::Regular, chartText::axisLabel).width()};
    while (!fitted.text.isEmpty() && fitted.width > maxWidth) {
        fitted.text.chop(fitted.text.endsWith(QChar(0x2026)) ? 2 : 1);
        if (fitted.text.isEmpty())
            return {};
        fitted.text.append(QChar(0x2026));
        fitted.width =
            canvas.textSize(fitted.text, ChartFont::Regular, chartText::axisLabel).width();
    }
    return fitted;
}

// Slanted labels ending under their categories, every n-th one when they would touch;
// returns the lowest point they reach.
int drawCategoryLabels(ChartCanvas& canvas, const Frame& frame, const QStringList& labels,
                       int maxDrop) {
    const int lineHeight =
        canvas.textSize(QStringLiteral("Ag"), ChartFont::Regular, chartText::axisLabel).height();
    const int ascent =
        canvas.textSize(QStringLiteral("A"), ChartFont::Regular, chartText::axisLabel).height();
    const int every = categoryLabelEvery(frame.slot(), lineHeight);
    const int top = frame.plot.bottom() + tickLength + labelGap;
    const int maxWidth = std::max(0, static_cast<int>(maxDrop / slantSine) - ascent);
    int lowest = top;
    for (int i = 0; i < frame.categories; i += every) {
        const int cx = static_cast<int>(std::lround(frame.centre(i)));
        canvas.line({cx, frame.plot.bottom()}, {cx, frame.plot.bottom() + tickLength},
                    chartPalette::axis);
        const auto [text, width] = fittedLabel(canvas, labels.value(i), std::min(maxWidth, cx));
        if (text.isEmpty())
            continue;
        // The end of the baseline sits below the tick so that the ink's upper corner clears
        // the axis.
        const int endX = cx + static_cast<int>(ascent * slantSine / 2);
        const int endY = top + static_cast<int>(ascent * slantSine);
        const int run = static_cast<int>(std::lround(width * slantSine));
        canvas.rotatedText(text, {endX - run, endY + run}, slant, ChartFont::Regular,
                           chartText::axisLabel, chartPalette::text);
        lowest = std::max(lowest, endY + run);
    }
    return lowest;
}

void drawAxisTitles(ChartCanvas& canvas, const Frame& frame, const ChartRequest& request,
                    int labelsBottom, int valueLabelsLeft) {
    const QSize x = canvas.textSize(request.xAxisTitle, ChartFont::Regular, chartText::axisTitle);
    const int xTop =
        std::min(labelsBottom + titleGap, canvas.size().height() - edgeMargin - x.height());
    canvas.text(request.xAxisTitle, {frame.plot.center().x() - x.width() / 2, xTop},
                ChartFont::Regular, chartText::axisTitle, chartPalette::text);

    const QSize y = canvas.textSize(request.yAxisTitle, ChartFont::Regular, chartText::axisTitle);
    // Read from bottom to top; the ink lies left of the baseline.
    const int baseline = std::max(y.height() + edgeMargin, valueLabelsLeft - titleGap);
    canvas.rotatedText(request.yAxisTitle, {baseline, frame.plot.center().y() + y.width() / 2},
                       90.0, ChartFont::Regular, chartText::axisTitle, chartPalette::text);
}

} // namespace

void drawXYChart(ChartCanvas& canvas, const ChartLayout& layout, const ChartRequest& request,
                 const ChartData& data) {
    Frame frame{layout.plotArea, scaleFor(data), static_cast<int>(data.labels.size())};
    drawPlotBackground(canvas, layout, frame);
    const int valueLabelsLeft = drawValueAxis(canvas, frame);
    if (frame.categories > 0 && !data.series.empty()) {
        if (isBar(request.chartType))
            drawBars(canvas, frame, data, is3D(request.chartType));
        else
            drawLines(canvas, frame, data, is3D(request.chartType));
    }
    canvas.line(frame.plot.bottomLeft(), frame.plot.bottomRight(), chartPalette::axis);
    canvas.line(frame.plot.topLeft(), frame.plot.bottomLeft(), chartPalette::axis);

    const int titleHeight =
        canvas.textSize(QStringLiteral("Ag"), ChartFont::Regular, chartText::axisTitle).height();
    const int maxDrop = canvas.size().height() - frame.plot.bottom() - tickLength - labelGap -
                        titleGap - titleHeight - edgeMargin;
    const int labelsBottom = frame.categories > 0
                                 ? drawCategoryLabels(canvas, frame, data.labels, maxDrop)
                                 : frame.plot.bottom() + tickLength;
    drawAxisTitles(canvas, frame, request, labelsBottom, valueLabelsLeft);
    drawChartLegend(canvas, layout.legendPosition, request.seriesNames);
    drawChartTitle(canvas, request.title);
}
