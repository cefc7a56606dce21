#pragma once

#include "VELMPluginReportGenerator/report/ReportSettings.h"

#include <QString>

// Counter reports tabulate every period of their range for every device, in the database and
// in the years the query lists one by one. A custom range of centuries (or up to the ends of
// the number range) would have the script take all memory here and hours of the database's
// time there; such a range is refused before anything is sent.
namespace rangeLimit {

// More periods than a decade of hours; days, weeks and months reach back centuries.
inline constexpr quint64 maxPeriods = 100000;

// The periods of the report's interval that its range covers, rounded up; 0 when the range
// ends before it starts. Months count as 28 days, so never fewer than the calendar has.
quint64 periodsOfRange(const ReportSettings& settings);

// Why the report's range is too long to be tabulated; empty when it is not, or when the
// report does not tabulate by period.
QString refusal(const ReportSettings& settings);

} // namespace rangeLimit
