#include "VELMPluginReportGenerator/builders/BodyBuilder.h"

#include "VELMPluginReportGenerator/builders/CounterReportBuilder.h"
#include "VELMPluginReportGenerator/builders/DeviceListBuilder.h"
#include "VELMPluginReportGenerator/builders/DevicePropertyBuilder.h"
#include "VELMPluginReportGenerator/builders/ReportBuild.h"
#include "VELMPluginReportGenerator/builders/RowReport.h"
#include "VELMPluginReportGenerator/registry/ReportTypes.h"
#include "VELMPluginReportGenerator/report/ReportResult.h"

using reportRegistry::ReportBodyKind;

namespace {

constexpr int bodyProgress = 10;

void buildJobAccounting(ReportBuild& build) {
    if (build.steps.jobAccounting)
        build.steps.jobAccounting->build(build);
    else
        build.progress.fail(ReportResult::GenerationFailed, ReportResult::generationFailedText);
}

} // namespace

void buildBody(ReportBuild& build) {
    build.body = build.document.append(build.document.root(), QStringLiteral("Body"));
    switch (reportRegistry::reportBodyKind(build.settings.type.value_or(-1))) {
    case ReportBodyKind::CounterReport:
        buildCounterReport(build);
        break;
    case ReportBodyKind::DevicePropertyReport:
        buildDevicePropertyReport(build);
        break;
    case ReportBodyKind::AllRows:
        buildRowReport(build, RowPlacement::AllTogether);
        break;
    case ReportBodyKind::DeviceListThenPerDevice:
        buildDeviceList(build);
        buildRowReport(build, RowPlacement::PerDevice);
        break;
    case ReportBodyKind::JobAccounting:
        buildJobAccounting(build);
        break;
    case ReportBodyKind::None:
        break;
    }
    build.progress.advance(bodyProgress);
}
