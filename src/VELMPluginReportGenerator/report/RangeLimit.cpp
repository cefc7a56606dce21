#include "VELMPluginReportGenerator/report/RangeLimit.h"

#include "VELMPluginReportGenerator/registry/ReportTypes.h"

#include <algorithm>
#include <array>

using namespace reportRegistry;

namespace rangeLimit {
namespace {

// Seconds of an hour, a day, a week and the shortest month, by interval.
constexpr std::array<quint64, 4> periodSeconds{3600, 86400, 7 * 86400, 28 * 86400};

} // namespace

quint64 periodsOfRange(const ReportSettings& settings) {
    if (settings.rangeEnd < settings.rangeStart)
        return 0;
    // The true span of any two qint64 values fits an unsigned difference; a signed one would
    // overflow for ranges reaching to both ends of the number range.
    const quint64 span = quint64(settings.rangeEnd) - quint64(settings.rangeStart);
    const std::size_t index = std::size_t(std::clamp(settings.interval, 0, 3));
    return span / periodSeconds[index] + 1;
}

QString refusal(const ReportSettings& settings) {
    if (!settings.type || reportBodyKind(*settings.type) != ReportBodyKind::CounterReport)
        return {};
    const quint64 periods = periodsOfRange(settings);
    if (periods <= maxPeriods)
        return {};
    return QStringLiteral("the range from %1 to %2 covers %3 periods, more than the %4 a report "
                          "can tabulate")
        .arg(settings.rangeStart)
        .arg(settings.rangeEnd)
        .arg(periods)
        .arg(maxPeriods);
}

} // namespace rangeLimit
