#include "ChartImage.h"
#include "ReportGeneratorFixture.h"

#include "VELMPluginReportGenerator/charts/CounterChartStep.h"
#include "VELMPluginReportGenerator/registry/ReportCodes.h"
#include "VELMPluginReportGenerator/registry/ReportTypes.h"
#include "VELMPluginReportGenerator/report/ReportResult.h"

#include "support/ScriptedWebUpload.h"

namespace {

// The usage script's last statement answers the period rows; the others are statements.
ScriptedReportPeers::DatabaseScript usageRows(QList<DBSRow> rows) {
    return [rows](const QStringList& queries) {
        ScriptedReportPeers::DatabaseAnswer answer;
        for (qsizetype i = 0; i < queries.size(); ++i) {
            DBSResultSet set = ScriptedReportPeers::statement();
            if (i + 1 == queries.size()) {
                set.lastRowId = -1;
                set.rows = rows;
            }
            answer.sets.append(set);
        }
        return answer;
    };
}

const QList<DBSRow> colourMonoRows{
    {{"Period", "2008-01-14"}, {"Color_Counter", "10"}, {"Mono_Counter", "1"}, {"Total", "11"}},
    {{"Period", "2008-01-15"}, {"Color_Counter", "20"}, {"Mono_Counter", "2"}, {"Total", "22"}}};

} // namespace

// The report generator with the chart step in place.
class ChartStepTest : public ReportGeneratorTest {
protected:
    ChartStepTest() : ReportGeneratorTest(ReportSteps{std::make_shared<CounterChartStep>(), {}}) {}

    ScriptedWebUpload web{peers};
};

TEST_F(ChartStepTest, UploadsTheChartUnderTheCreationTimeAndNamesItsPathInTheBody) {
    peers.onDatabase(usageRows(colourMonoRows));
    const qint64 created = clock.now().toSecsSinceEpoch();
    const int id = start(reportDefinition(
        {{"ReportType", "RT_USAGE_COLOR_MONO"}, {"ReportFormat", "Chart"}, {"ChartType", "CT_BAR"}},
        {{"1"}, {}, {}, {}, {}}));
    EXPECT_EQ(waitForEnd(id)->reportStatus, "100");
    const auto uploads = web.uploads();
    ASSERT_EQ(uploads.size(), 1);
    EXPECT_EQ(uploads[0].fileName, QStringLiteral("Chart%1.gif").arg(created));
    EXPECT_EQ(body(id), "Body(ChartPath=" + uploads[0].path + ")");
    EXPECT_EQ(service->findReport(id)->chartPath(), uploads[0].path);

    const DecodedImage image = DecodedImage::decode(uploads[0].data);
    EXPECT_EQ(image.format, "GIF");
    EXPECT_EQ(image.width, reportChart::width);
    EXPECT_EQ(image.height, reportChart::height);
}

TEST_F(ChartStepTest, AFailedUploadFailsTheReportWith111AndNoPath) {
    peers.onDatabase(usageRows(colourMonoRows));
    peers.fail("WEBUploadTemporaryFile", ScriptedWebUpload::storeFailed, "disk full");
    const int id = start(reportDefinition(
        {{"ReportType", "RT_USAGE_COLOR_MONO"}, {"ReportFormat", "chart"}, {"ChartType", "CT_PIE"}},
        {{"1"}, {}, {}, {}, {}}));
    const auto status = waitForEnd(id);
    EXPECT_EQ(status->result(), ReportResult::ChartFailed);
    EXPECT_EQ(status->details(), ReportResult::chartFailedText);
    EXPECT_FALSE(body(id).contains("ChartPath"));
    EXPECT_TRUE(service->findReport(id)->chartPath().isEmpty());
}

TEST(CounterChartRequestTest, TitlesLabelsAndSeriesFollowTheReportKind) {
    using namespace reportRegistry;
    const QList<DBSResultSet> none;
    ReportSettings settings;
    settings.type = RT_ALERT_TREND;
    settings.chartType = chartType::line;
    settings.summary = true;
    const ChartRequest summary = counterChartRequest(settings, none);
    EXPECT_EQ(summary.title, reportTypeTitle(RT_ALERT_TREND) + " - Summary");
    EXPECT_EQ(summary.xAxisTitle, "Devices");
    EXPECT_EQ(summary.labelColumn, "IP");
    EXPECT_EQ(summary.yAxisTitle, "Alert Count");
    EXPECT_EQ(summary.seriesNames.last(), "Total");

    settings.type = RT_USAGE_TOTAL_PAGES;
    settings.summary = false;
    const ChartRequest totals = counterChartRequest(settings, none);
    EXPECT_EQ(totals.xAxisTitle, "Time/Date");
    EXPECT_EQ(totals.labelColumn, "Period");
    EXPECT_EQ(totals.yAxisTitle, "Page Count");
    EXPECT_EQ(totals.seriesNames, reportTypeCounters(RT_USAGE_TOTAL_PAGES));
    EXPECT_EQ(totals.imageFormat, chartImageFormat::gif);
}
