#include "ChartImage.h"

#include "VELMPluginReportGenerator/charts/AxisScale.h"
#include "VELMPluginReportGenerator/charts/ChartData.h"
#include "VELMPluginReportGenerator/charts/ChartMaker.h"
#include "VELMPluginReportGenerator/charts/ChartPalette.h"
#include "VELMPluginReportGenerator/charts/CounterChartStep.h"
#include "VELMPluginReportGenerator/queries/CVELMReportSQLGenExcept.h"
#include "VELMPluginReportGenerator/registry/ReportCodes.h"
#include "VELMPluginReportGenerator/registry/ReportTypes.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <thread>

using namespace reportRegistry;

namespace {

const QRect reportPlot(reportChart::plotLeft, reportChart::plotTop, reportChart::plotWidth,
                       reportChart::plotHeight);

DBSResultSet periods(int count,
                     const QList<std::pair<QString, std::function<QString(int)>>>& columns) {
    DBSResultSet set;
    for (int i = 0; i < count; ++i) {
        DBSRow row;
        row.insert(QStringLiteral("Period"),
                   QStringLiteral("2008-01-%1").arg(i + 1, 2, 10, QChar('0')));
        for (const auto& [name, value] : columns)
            row.insert(name, value(i));
        set.rows.append(row);
    }
    return set;
}

ReportSettings settingsOf(int type, int chartType, bool summary = false) {
    ReportSettings settings;
    settings.type = type;
    settings.chartType = chartType;
    settings.summary = summary;
    return settings;
}

QByteArray reportChartImage(const ChartRequest& request) {
    ChartMaker maker;
    setReportChartLayout(maker);
    return maker.makeChart(request).toByteArray();
}

} // namespace

TEST(ChartMakerTest, XYChartsAreReportSizedGifsWithEverySeriesInItsOwnColour) {
    // The copy/scan/fax usage query has no Report_Counter column: that series stays empty.
    const QList<DBSResultSet> sets{DBSResultSet{}, // an empty set before the rows is passed over
                                   periods(12, {{"Print_Counter",
                                                 [](int i) {
                                                     return QString::number(100 + 10 * i);
                                                 }},
                                                {"Copy_Counter",
                                                 [](int i) {
                                                     return QString::number(40 + i);
                                                 }},
                                                {"Scan_Counter",
                                                 [](int i) {
                                                     return QString::number(i % 3 * 7);
                                                 }},
                                                {"IncomingFax_Counter",
                                                 [](int) {
                                                     return QStringLiteral("5");
                                                 }},
                                                {"Total", [](int i) {
                                                     return QString::number(200 + 11 * i);
                                                 }}})};
    for (const int code : {chartCode::line, chartCode::line3D, chartCode::bar, chartCode::bar3D}) {
        SCOPED_TRACE(code);
        const ChartRequest request =
            counterChartRequest(settingsOf(RT_USAGE_COPY_SCAN_SEND_FAX, code), sets);
        ASSERT_EQ(request.seriesNames.size(), 6);
        const QByteArray gif = reportChartImage(request);
        keepChart(QStringLiteral("xy%1").arg(code), gif);
        const DecodedImage image = DecodedImage::decode(gif);
        EXPECT_EQ(image.format, "GIF");
        EXPECT_EQ(image.width, 600);
        EXPECT_EQ(image.height, 350);
        const int reportCounter = static_cast<int>(request.seriesNames.indexOf("Report_Counter"));
        // A line of zeros lies on the axis; a bar of zero has no height.
        const bool bars = code == chartCode::bar || code == chartCode::bar3D;
        const QRect aboveZero = reportPlot.adjusted(0, 0, 0, bars ? 0 : -6);
        for (int s = 0; s < request.seriesNames.size(); ++s) {
            const int drawn = image.count(chartPalette::seriesColour(s), reportPlot);
            if (s == reportCounter)
                EXPECT_EQ(image.count(chartPalette::seriesColour(s), aboveZero), 0)
                    << "all-zero series " << s << " rises above zero";
            else
                EXPECT_GT(drawn, 0) << "series " << s << " is missing";
        }
    }
}

TEST(ChartMakerTest, PieOfColourAndMonoHasTwoSectorsInProportionAndNoTotal) {
    const QList<DBSResultSet> sets{periods(3, {{"Color_Counter",
                                                [](int i) {
                                                    return QString::number(10 * (i + 1));
                                                }},
                                               {"Mono_Counter",
                                                [](int i) {
                                                    return QString::number(i + 1);
                                                }},
                                               {"Total", [](int i) {
                                                    return QString::number(11 * (i + 1));
                                                }}})};
    const ChartRequest request =
        counterChartRequest(settingsOf(RT_USAGE_COLOR_MONO, chartType::pie), sets);
    EXPECT_EQ(request.seriesNames, QStringList({"Color_Counter", "Mono_Counter"}));
    const ChartData data = readPieData(sets.front(), request);
    EXPECT_EQ(data.labels, request.seriesNames);
    EXPECT_EQ(data.series, (std::vector<std::vector<double>>{{60.0, 6.0}}));

    for (const int code : {chartCode::pie, chartCode::pie3D}) {
        SCOPED_TRACE(code);
        ChartRequest drawn = request;
        drawn.chartType = code;
        const QByteArray gif = reportChartImage(drawn);
        keepChart(QStringLiteral("pie%1").arg(code), gif);
        const DecodedImage image = DecodedImage::decode(gif);
        ASSERT_EQ(image.width, 600);
        ASSERT_EQ(image.height, 350);
        // Centred at (300, 175) with radius 350 / 4 = 87.
        const QRect disc(300 - 87, 175 - 87, 175, 175);
        const int colour = image.count(chartPalette::seriesColour(0), disc);
        const int mono = image.count(chartPalette::seriesColour(1), disc);
        ASSERT_GT(mono, 0);
        EXPECT_NEAR(static_cast<double>(colour) / mono, 10.0, 1.0);
        EXPECT_EQ(image.count(chartPalette::seriesColour(2), {0, 0, 600, 350}), 0);
        EXPECT_EQ(image.at(330, 160), chartPalette::seriesColour(0));
        EXPECT_EQ(image.at(300 + 95, 175 - 40), chartPalette::background);
    }
}

TEST(ChartMakerTest, ReadsValuesLabelsAndMissingColumnsAsTheRowsGiveThem) {
    DBSResultSet set;
    set.rows = {DBSRow{{"IP", "10.0.0.2"}, {"A", "12.5"}, {"B", "x"}},
                DBSRow{{"A", "nan"}, {"B", "inf"}}, // no IP: an empty label
                DBSRow{{"IP", "10.0.0.9"}, {"B", " 7 "}}};
    const QList<DBSResultSet> sets{set};
    const ChartRequest request{.resultSets = sets,
                               .chartType = chartCode::bar,
                               .title = {},
                               .xAxisTitle = {},
                               .yAxisTitle = {},
                               .labelColumn = QStringLiteral("IP"),
                               .imageFormat = chartImageFormat::gif,
                               .seriesNames = {"A", "B", "IP", "Missing"},
                               .timeFormat = std::nullopt};
    const ChartData data = readXYData(set, request);
    EXPECT_EQ(data.labels, QStringList({"10.0.0.2", "", "10.0.0.9"}));
    ASSERT_EQ(data.series.size(), 4u);
    EXPECT_EQ(data.series[0], (std::vector<double>{12.5, 0.0, 0.0}));
    EXPECT_EQ(data.series[1], (std::vector<double>{0.0, 0.0, 7.0}));
    EXPECT_EQ(data.series[2], (std::vector<double>{0.0, 0.0, 0.0})); // the label column
    EXPECT_EQ(data.series[3], (std::vector<double>{0.0, 0.0, 0.0}));

    ChartRequest timed = request;
    timed.timeFormat = QStringLiteral("yyyy-MM-dd HH:mm");
    DBSResultSet times;
    times.rows = {DBSRow{{"IP", "1200478200"}}, DBSRow{{"IP", "soon"}}};
    EXPECT_EQ(readXYData(times, timed).labels, QStringList({"2008-01-16 11:10", "soon"}));
}

TEST(ChartMakerTest, NoRowsOrNoDrawingGiveTheEmptyImageAndMemoryFailureRaises) {
    const QList<DBSResultSet> empty{DBSResultSet{}, DBSResultSet{}};
    ChartMaker maker;
    ChartRequest request{.resultSets = empty,
                         .chartType = chartCode::bar3D,
                         .title = QStringLiteral("t"),
                         .xAxisTitle = {},
                         .yAxisTitle = {},
                         .labelColumn = QStringLiteral("Period"),
                         .imageFormat = chartImageFormat::gif,
                         .seriesNames = {"A"},
                         .timeFormat = std::nullopt};
    EXPECT_TRUE(maker.makeChart(request).isEmpty());

    const QList<DBSResultSet> rows{periods(2, {{"A", [](int) {
                                                    return QStringLiteral("1");
                                                }}})};
    EXPECT_FALSE(
        maker.makeChart(ChartRequest{rows, 3, "t", {}, {}, "Period", 1, {"A"}, {}}).isEmpty());
    EXPECT_TRUE(
        maker.makeChart(ChartRequest{rows, 4, "t", {}, {}, "Period", 1, {"A"}, {}}).isEmpty());

    // An image libgd cannot allocate.
    maker.setSize(100000, 100000);
    try {
        maker.makeChart(ChartRequest{rows, 3, "t", {}, {}, "Period", 1, {"A"}, {}});
        ADD_FAILURE() << "no exception";
    } catch (const CVELMReportSQLGenExcept& failure) {
        EXPECT_EQ(failure.message(), "MakeChart: memory could not be allocated");
    }
}

TEST(ChartMakerTest, ValueAxisTicksAreRoundAndCoverEveryValue) {
    const auto ticks = [](double low, double high) {
        return AxisScale::covering(low, high).ticks();
    };
    EXPECT_EQ(ticks(0, 1234), (std::vector<double>{0, 500, 1000, 1500}));
    EXPECT_EQ(ticks(0, 0), (std::vector<double>{0, 1}));
    EXPECT_EQ(ticks(0, 7), (std::vector<double>{0, 2, 4, 6, 8}));
    EXPECT_EQ(ticks(-30, 95), (std::vector<double>{-50, 0, 50, 100}));
    EXPECT_EQ(ticks(0, 100), (std::vector<double>{0, 20, 40, 60, 80, 100}));
}

TEST(ChartMakerTest, ConcurrentDrawingsGiveTheSameImages) {
    const QList<DBSResultSet> sets{periods(30, {{"Color_Counter",
                                                 [](int i) {
                                                     return QString::number(i * i);
                                                 }},
                                                {"Mono_Counter", [](int i) {
                                                     return QString::number(3 * i);
                                                 }}})};
    const ChartRequest bars =
        counterChartRequest(settingsOf(RT_USAGE_COLOR_MONO, chartType::bar), sets);
    const ChartRequest pie =
        counterChartRequest(settingsOf(RT_USAGE_COLOR_MONO, chartType::pie), sets);
    const QByteArray expectedBars = reportChartImage(bars), expectedPie = reportChartImage(pie);
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 5; ++i)
                if (reportChartImage(bars) != expectedBars || reportChartImage(pie) != expectedPie)
                    ++mismatches;
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches.load(), 0);
}

namespace {

DBSResultSet devices(int count) {
    DBSResultSet set;
    for (int i = 0; i < count; ++i)
        set.rows.append(DBSRow{{"IP", QStringLiteral("192.168.%1.%2").arg(i / 100).arg(i % 100)},
                               {"Color_Counter", QString::number(100 + i % 17)},
                               {"Mono_Counter", QString::number(300 + i % 23)},
                               {"Total", QString::number(400 + i % 40)}});
    return set;
}

struct XLabels {
    int ticks = 0;  // tick marks below the axis, one per label drawn
    int labels = 0; // separate slanted strokes of ink below the ticks
};

// Slanted labels run along lines of constant x + y: projected onto x + y, every label is one run
// of ink, and two labels too close to tell apart merge into one run.
XLabels xLabelsOf(const DecodedImage& image) {
    XLabels found;
    const int tickRow = reportPlot.bottom() + 2;
    for (int x = reportPlot.left(); x <= reportPlot.right(); ++x)
        found.ticks += image.at(x, tickRow) == chartPalette::axis ? 1 : 0;
    std::vector<bool> inked(static_cast<std::size_t>(image.width + image.height), false);
    for (int y = reportPlot.bottom() + 6; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (image.at(x, y) != chartPalette::background)
                inked[static_cast<std::size_t>(x + y)] = true;
    // Ink closer than this (three pixels along x + y, two across the labels) reads as one.
    constexpr int clearance = 3;
    int lastInk = -clearance - 1;
    for (int s = 0; s < static_cast<int>(inked.size()); ++s) {
        if (!inked[static_cast<std::size_t>(s)])
            continue;
        found.labels += s - lastInk > clearance ? 1 : 0;
        lastInk = s;
    }
    return found;
}

} // namespace

TEST(ChartMakerTest, DenseCategoryAxesLabelEveryNthCategoryWithoutOverlapSparseOnesLabelAll) {
    for (const int count : {12, 60, 200, 1000}) {
        for (const int code : {chartCode::bar3D, chartCode::line}) {
            SCOPED_TRACE(testing::Message() << count << " devices, chart " << code);
            const QList<DBSResultSet> sets{devices(count)};
            ChartRequest request =
                counterChartRequest(settingsOf(RT_USAGE_COLOR_MONO, code, true), sets);
            request.xAxisTitle.clear(); // only the labels below the axis
            const QByteArray gif = reportChartImage(request);
            keepChart(QStringLiteral("summary%1-%2").arg(count).arg(code), gif);
            const XLabels labels = xLabelsOf(DecodedImage::decode(gif));
            EXPECT_EQ(labels.labels, labels.ticks);
            if (count == 12)
                EXPECT_EQ(labels.ticks, 12);
            else
                EXPECT_GE(labels.ticks, 15) << "a dense axis thinned more than it needs";
        }
    }
}

namespace {

// The rightmost pixel drawn in a series colour or one of its 3D faces' shades.
int rightmostSeriesInk(const DecodedImage& image, int series) {
    std::vector<int> inks;
    for (int s = 0; s < series; ++s) {
        const int colour = chartPalette::seriesColour(s);
        inks.insert(inks.end(),
                    {colour, chartPalette::shade(colour, 1.35), chartPalette::shade(colour, 0.7)});
    }
    int rightmost = -1;
    for (int y = 0; y < image.height; ++y)
        for (int x = rightmost + 1; x < image.width; ++x)
            if (std::find(inks.begin(), inks.end(), image.at(x, y)) != inks.end())
                rightmost = x;
    return rightmost;
}

} // namespace

TEST(ChartMakerTest, ThreeDLinesAndBarsEndWithinThePlotAreaAndItsDepth) {
    for (const int count : {1, 2, 12, 60, 200, 1000}) {
        for (const int code : {chartCode::line3D, chartCode::bar3D}) {
            SCOPED_TRACE(testing::Message() << count << " devices, chart " << code);
            const QList<DBSResultSet> sets{devices(count)};
            const ChartRequest request =
                counterChartRequest(settingsOf(RT_USAGE_COLOR_MONO, code, true), sets);
            const QByteArray gif = reportChartImage(request);
            keepChart(QStringLiteral("depth%1-%2").arg(count).arg(code), gif);
            const DecodedImage image = DecodedImage::decode(gif);
            ASSERT_EQ(image.width, 600);
            const int rightmost =
                rightmostSeriesInk(image, static_cast<int>(request.seriesNames.size()));
            // Back faces go 8 px up and right, no deeper than a category is wide (2 px at
            // least), so a dense line chart's ribbon does not run on past the plot area.
            const int slot = reportChart::plotWidth / count;
            const int depth = code == chartCode::bar3D ? 8 : std::min(8, std::max(2, slot));
            EXPECT_LE(rightmost, reportPlot.right() + depth);
            if (count > 1) {
                EXPECT_GT(rightmost, reportPlot.right() - reportChart::plotWidth / count)
                    << "the last category is not drawn";
            }
        }
    }
}
