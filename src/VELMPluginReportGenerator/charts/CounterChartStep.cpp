#include "VELMPluginReportGenerator/charts/CounterChartStep.h"

#include "VELMPluginReportGenerator/charts/ChartMaker.h"
#include "VELMPluginReportGenerator/queries/CVELMReportSQLGenExcept.h"
#include "VELMPluginReportGenerator/registry/ReportCodes.h"
#include "VELMPluginReportGenerator/registry/ReportTypes.h"
#include "VELMPluginReportGenerator/report/ReportResult.h"

#include "VXNServiceFramework/app/Log.h"
#include "VXNServiceFramework/client/PeerCaller.h"
#include "VXNServiceFramework/packets/ResultCodes.h"
#include "peers/CmdWebUploadTemporaryFileRequest.h"
#include "peers/CmdWebUploadTemporaryFileResponse.h"

namespace {

// Chart texts as readers of the report see them.
const QString summarySuffix = QStringLiteral(" - Summary");
const QString periodAxisTitle = QStringLiteral("Time/Date");
const QString deviceAxisTitle = QStringLiteral("Devices");
const QString periodColumn = QStringLiteral("Period");
const QString deviceColumn = QStringLiteral("IP");
const QString totalSeries = QStringLiteral("Total");
const QString chartPathElement = QStringLiteral("ChartPath");

constexpr int chartProgress = 10;

QString chartFileName(qint64 creationTime) {
    return QStringLiteral("Chart%1.gif").arg(creationTime);
}

// The image, or empty after logging why there is none.
QByteArray drawChart(const ReportBuild& build, const CmdDBSProcessQueryResponse& answer) {
    ChartMaker maker;
    setReportChartLayout(maker);
    try {
        // Copied: the bytes belong to the maker.
        const QByteArray image =
            maker.makeChart(counterChartRequest(build.settings, answer.resultSets())).toByteArray();
        if (image.isEmpty())
            VELM_ERR << "Report " << build.reportId << ": the chart has no image";
        return image;
    } catch (const CVELMReportSQLGenExcept& failure) {
        VELM_ERR << "Report " << build.reportId << ": " << failure.message();
        return {};
    }
}

// The web service's path of the uploaded image, or empty after logging why there is none.
QString uploadChart(ReportBuild& build, const QByteArray& image) {
    CmdWebUploadTemporaryFileRequest request;
    request.fileName = chartFileName(build.settings.creationTime);
    request.data = image;
    const auto answer = build.caller.call<CmdWebUploadTemporaryFileResponse>(request);
    if (answer->result() != ResultCode::Ok || answer->path.isEmpty()) {
        VELM_ERR << "Report " << build.reportId << ": chart upload failed: " << answer->result()
                 << " " << answer->details();
        return {};
    }
    return answer->path;
}

} // namespace

void setReportChartLayout(ChartMaker& maker) {
    maker.setSize(reportChart::width, reportChart::height);
    maker.setPlotArea(reportChart::plotLeft, reportChart::plotTop, reportChart::plotWidth,
                      reportChart::plotHeight);
}

ChartRequest counterChartRequest(const ReportSettings& settings,
                                 const QList<DBSResultSet>& resultSets) {
    using namespace reportRegistry;
    const int type = settings.type.value_or(-1);
    ChartRequest request{
        .resultSets = resultSets,
        .chartType = settings.chartType,
        .title = reportTypeTitle(type) + (settings.summary ? summarySuffix : QString()),
        .xAxisTitle = settings.summary ? deviceAxisTitle : periodAxisTitle,
        .yAxisTitle = valueAxisTitle(type),
        .labelColumn = settings.summary ? deviceColumn : periodColumn,
        .imageFormat = chartImageFormat::gif,
        .seriesNames = reportTypeCounters(type),
        .timeFormat = std::nullopt,
    };
    // A pie of the parts needs no sector for their sum; the total pages report has no sum.
    if (settings.chartType != chartType::pie && type != RT_USAGE_TOTAL_PAGES)
        request.seriesNames.append(totalSeries);
    return request;
}

void CounterChartStep::build(ReportBuild& build, const CmdDBSProcessQueryResponse& answer) {
    const QByteArray image = drawChart(build, answer);
    const QString path = image.isEmpty() ? QString() : uploadChart(build, image);
    if (path.isEmpty()) {
        build.progress.fail(ReportResult::ChartFailed, ReportResult::chartFailedText);
        return;
    }
    build.document.append(build.body, chartPathElement, path);
    build.progress.recordChartPath(path);
    build.progress.advance(chartProgress);
}
