#include "VELMPluginReportGenerator/report/ReportSettings.h"

#include "VELMPluginReportGenerator/registry/ReportCodes.h"
#include "VELMPluginReportGenerator/registry/ReportTypes.h"
#include "VELMPluginReportGenerator/report/PeriodRange.h"

using namespace reportRegistry;

namespace {

// Text that is not a decimal number reads as 0.
qint64 secondsFrom(const QString& text) {
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    return ok ? value : 0;
}

} // namespace

ReportSettings ReportSettings::read(const ReportDefinition& definition, const QDateTime& now) {
    ReportSettings settings;
    settings.type = reportTypeFromName(definition.parameter(QStringLiteral("ReportType")));
    settings.period = periodFromCode(definition.parameter(QStringLiteral("Period")));
    settings.summary = definition.parameter(QStringLiteral("IsSummary")) == QStringLiteral("Yes");
    settings.creationTime = now.toSecsSinceEpoch();
    if (settings.period == P_CUSTOM) {
        settings.rangeStart = secondsFrom(definition.parameter(QStringLiteral("From")));
        settings.rangeEnd = secondsFrom(definition.parameter(QStringLiteral("To")));
    } else {
        const PeriodRange range = periodRange(settings.period, now);
        settings.rangeStart = range.start;
        settings.rangeEnd = range.end;
    }
    settings.interval = reportInterval(settings.summary, settings.period,
                                       definition.parameter(QStringLiteral("Interval")));
    settings.chartType = chartTypeFromCode(definition.parameter(QStringLiteral("ChartType")));
    return settings;
}
