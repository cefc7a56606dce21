// A report chart (600x350, 3 series of 60 periods) drawn by ChartMaker against libgd drawing
// what that chart holds (bars with their 3D faces, grid lines, the labels it shows, titles,
// legend) at fixed places, both encoded as GIF. The ratio is the cost of our layout.
#include "VELMPluginReportGenerator/charts/ChartMaker.h"
#include "VELMPluginReportGenerator/charts/CounterChartStep.h"
#include "VELMPluginReportGenerator/registry/ReportCodes.h"
#include "VELMPluginReportGenerator/registry/ReportTypes.h"

#include <benchmark/benchmark.h>
#include <gd.h>

#include <cmath>

namespace {

constexpr int periods = 60;
constexpr int labelEvery = 3; // the chart labels every third of 60 periods at 8 points

QList<DBSResultSet> usageRows() {
    DBSResultSet set;
    for (int i = 0; i < periods; ++i) {
        DBSRow row;
        row.insert(QStringLiteral("Period"),
                   QDate(2026, 1, 1).addDays(i).toString(QStringLiteral("yyyy-MM-dd")));
        row.insert(QStringLiteral("Color_Counter"), QString::number(200 + (i * 37) % 150));
        row.insert(QStringLiteral("Mono_Counter"), QString::number(900 + (i * 53) % 400));
        row.insert(QStringLiteral("Total"), QString::number(1100 + (i * 90) % 550));
        set.rows.append(row);
    }
    return {set};
}

void reportChart(benchmark::State& state, int chartType) {
    const QList<DBSResultSet> rows = usageRows();
    ReportSettings settings;
    settings.type = reportRegistry::RT_USAGE_COLOR_MONO;
    settings.chartType = chartType;
    const ChartRequest request = counterChartRequest(settings, rows);
    for (auto _ : state) {
        ChartMaker maker;
        setReportChartLayout(maker);
        benchmark::DoNotOptimize(maker.makeChart(request).size());
    }
}

void ourBarChart3D(benchmark::State& state) {
    reportChart(state, reportRegistry::chartType::bar);
}

void ourLineChart(benchmark::State& state) {
    reportChart(state, reportRegistry::chartType::line);
}

char* font(bool bold) {
    static char regular[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    static char boldFace[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
    return bold ? boldFace : regular;
}

void text(gdImagePtr image, int colour, bool bold, double points, double degrees, int x, int y,
          const char* s) {
    int box[8];
    gdFTStringExtra extra{};
    extra.flags = gdFTEX_RESOLUTION;
    extra.hdpi = extra.vdpi = 72;
    gdImageStringFTEx(image, box, colour, font(bold), points, degrees * M_PI / 180.0, x, y,
                      const_cast<char*>(s), &extra);
}

void bareLibgd(benchmark::State& state) {
    const QList<DBSResultSet> rows = usageRows();
    for (auto _ : state) {
        gdImagePtr image = gdImageCreate(600, 350);
        const int white = gdImageColorAllocate(image, 255, 255, 255);
        const int ink = gdImageColorAllocate(image, 0x22, 0x22, 0x22);
        const int grey = gdImageColorAllocate(image, 0xC0, 0xC0, 0xC0);
        const int colours[3] = {gdImageColorAllocate(image, 0x33, 0x66, 0xCC),
                                gdImageColorAllocate(image, 0xDC, 0x39, 0x12),
                                gdImageColorAllocate(image, 0x10, 0x96, 0x18)};
        gdImageFilledRectangle(image, 0, 0, 599, 349, white);
        for (int tick = 0; tick <= 5; ++tick) {
            gdImageLine(image, 80, 229 - tick * 30, 559, 229 - tick * 30, grey);
            text(image, ink, false, 8, 0, 50, 233 - tick * 30, "1000");
        }
        const DBSResultSet& set = rows.front();
        for (int i = 0; i < periods; ++i) {
            for (int s = 0; s < 3; ++s) {
                const int left = 80 + i * 8 + s * 2, top = 229 - 60 - s * 20;
                gdImageFilledRectangle(image, left, top, left + 2, 229, colours[s]);
                gdPoint roof[4] = {
                    {left, top}, {left + 2, top - 2}, {left + 4, top - 2}, {left + 2, top}};
                gdPoint side[4] = {
                    {left + 2, top}, {left + 4, top - 2}, {left + 4, 227}, {left + 2, 229}};
                gdImageFilledPolygon(image, roof, 4, colours[s]);
                gdImageFilledPolygon(image, side, 4, colours[s]);
            }
            if (i % labelEvery == 0) {
                gdImageLine(image, 84 + i * 8, 229, 84 + i * 8, 233, ink);
                const QByteArray label = set.rows.at(i).value(QStringLiteral("Period")).toUtf8();
                text(image, ink, false, 8, 45, 30 + i * 8, 300, label.constData());
            }
        }
        text(image, ink, false, 8, 0, 290, 335, "Time/Date");
        text(image, ink, false, 8, 90, 20, 190, "Page Count");
        const char* legend[3] = {"Color_Counter", "Mono_Counter", "Total"};
        for (int s = 0; s < 3; ++s) {
            gdImageFilledRectangle(image, 50 + s * 120, 32, 60 + s * 120, 42, colours[s]);
            text(image, ink, false, 10, 0, 64 + s * 120, 42, legend[s]);
        }
        text(image, ink, true, 12, 0, 180, 20, "Usage Count (Color/Mono By Period)");
        int length = 0;
        void* gif = gdImageGifPtr(image, &length);
        benchmark::DoNotOptimize(length);
        gdFree(gif);
        gdImageDestroy(image);
    }
}

} // namespace

BENCHMARK(ourBarChart3D)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly();
BENCHMARK(ourLineChart)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly();
BENCHMARK(bareLibgd)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly();
BENCHMARK_MAIN();
