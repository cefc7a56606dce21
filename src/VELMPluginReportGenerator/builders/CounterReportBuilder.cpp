#include "VELMPluginReportGenerator/builders/CounterReportBuilder.h"

#include "VELMPluginReportGenerator/builders/DeviceListBuilder.h"
#include "VELMPluginReportGenerator/builders/ReportBuild.h"
#include "VELMPluginReportGenerator/builders/ReportQuery.h"
#include "VELMPluginReportGenerator/builders/RowReport.h"
#include "VELMPluginReportGenerator/registry/ReportTypes.h"
#include "VELMPluginReportGenerator/report/ReportResult.h"

#include "VXNServiceFramework/dom/DomBuild.h"

namespace {

constexpr int formatProgress = 10;
constexpr int chartAnswerProgress = 10;

void appendColumns(ReportBuild& build) {
    const int type = build.settings.type.value_or(-1);
    const QStringList counters = reportRegistry::reportTypeCounters(type);
    const QStringList labels = reportRegistry::reportTypeLabels(type);
    ReportDocument::DOMElement* columns =
        build.document.append(build.body, QStringLiteral("Columns"));
    for (qsizetype i = 0; i < counters.size(); ++i) {
        ReportDocument::DOMElement* column =
            build.document.append(columns, QStringLiteral("Column"));
        dom::setAttribute(column, QStringLiteral("field"), counters.at(i));
        dom::setAttribute(column, QStringLiteral("label"), labels.value(i));
    }
}

void buildChart(ReportBuild& build) {
    const bool chartFlag =
        build.definition.parameter(QStringLiteral("ReportFormat")) == QStringLiteral("Chart");
    const auto answer = queryReport(build, chartAnswerProgress, chartFlag);
    if (!answer)
        return;
    if (!build.steps.chart) {
        build.progress.fail(ReportResult::ChartFailed, ReportResult::chartFailedText);
        return;
    }
    build.steps.chart->build(build, *answer);
}

} // namespace

void buildCounterReport(ReportBuild& build) {
    build.progress.advance(formatProgress);
    if (build.definition.parameter(QStringLiteral("ReportFormat")).toLower() !=
        QStringLiteral("table")) {
        buildChart(build);
        return;
    }
    appendColumns(build);
    if (build.settings.summary) {
        buildRowReport(build, RowPlacement::AllTogether);
        return;
    }
    buildDeviceList(build);
    buildRowReport(build, RowPlacement::PerDevice);
}
