#pragma once

#include <QString>

// The SQL of the period buckets of the usage and alert-trend scripts. A period number is the
// local year times 10000 plus an offset within that year; all of it is computed by the database
// in the service host's local time.
namespace periodSql {

enum Period : int { Hour = 0, Day = 1, Week = 2, Month = 3 };

// The period number of the seconds in `operand` (a column or a decimal number).
QString periodOf(int period, const QString& operand);
// The same, named dt2, as the scripts select it for a sample.
QString samplePeriod(int period, const QString& column);

// The range bounds as period numbers. The day range ends at the day of one second before the
// end, so an end at local midnight closes the previous day.
QString minDate(int period, qint64 start);
QString maxDate(int period, qint64 end);

// The text shown for the period in column Period: the start itself for the first period,
// else the period's first instant. Refers to the start as `_%17_`.
QString periodLabel(int period);

// Added to yearcode * 10000 to give the first period number past the year; empty for months,
// whose offsets cannot run past the year.
QString yearBound(int period);
bool hasYearBound(int period);

// A condition on DateNumm (offset t1.DateNum of yearcode) that holds for periods the local
// clock shows; empty where every offset below the year's bound exists.
QString existingPeriodsOnly(int period);

// The table with one row per offset a period can have.
QString yearTable(int period);

// The local years whose periods the range can touch, first and last. A week belongs to the
// year of its Thursday, which may be the year before the start or after the end.
struct YearSpan {
    int first = 0;
    int last = -1;
};
YearSpan yearsOfRange(int period, qint64 start, qint64 end);

} // namespace periodSql
