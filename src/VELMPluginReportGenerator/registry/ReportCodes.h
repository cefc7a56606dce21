#pragma once

#include <QString>
#include <QStringList>

// Codes of a report definition: period, interval, chart type and sort keys. A code's number is
// its position in its list.
namespace reportRegistry {

enum PeriodNumber : int {
    P_LAST_WEEK = 0,
    P_THIS_WEEK,
    P_LAST_MONTH,
    P_THIS_MONTH,
    P_LAST_TWO_WEEK,
    P_LAST_TWO_MONTH,
    P_LAST_SIX_MONTH,
    P_LAST_YEAR,
    P_THIS_YEAR,
    P_CUSTOM,
};

enum IntervalNumber : int { I_HOUR = 0, I_DAY, I_WEEK, I_MONTH };

// Chart type codes of the chart layer.
namespace chartType {
inline constexpr int line = 0;
inline constexpr int bar = 3;
inline constexpr int pie = 6;
} // namespace chartType

// P_CUSTOM unless the text is one of the period codes exactly.
int periodFromCode(const QString& code);
QString periodCode(int period);

// I_HOUR unless the text is one of the interval codes exactly.
int intervalFromCode(const QString& code);
// "I_HOUR", "I_DAY", "I_WEEK", "I_MONTH", by interval number.
const QStringList& intervalCodes();

// A summary report's interval follows from its period instead of its own Interval element.
int summaryIntervalForPeriod(int period);
int reportInterval(bool isSummary, int period, const QString& intervalCode);

// Bar unless the text is CT_BAR, CT_LINE or CT_PIE exactly.
int chartTypeFromCode(const QString& code);

// The sort key names offered to the user interface, in their listed order.
QStringList sortKeyNames();

} // namespace reportRegistry
