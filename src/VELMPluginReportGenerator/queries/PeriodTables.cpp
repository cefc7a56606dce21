#include "VELMPluginReportGenerator/queries/PeriodTables.h"

#include <QDateTime>
#include <array>

namespace periodSql {
namespace {

constexpr qsizetype periodCount = 4;

// "%1" stands for the seconds. Weeks are ISO weeks: the year and day of the week's Thursday
// decide them, and days 1 to 7 of that year hold the Thursday of week 1.
constexpr std::array<const char*, periodCount> periodExpressions{
    "(strftime('%Y', datetime(%1, 'unixepoch', 'localtime')) * 10000 + \n"
    " strftime('%j', datetime(%1, 'unixepoch', 'localtime')) * 24 + \n"
    " strftime('%H', datetime(%1, 'unixepoch', 'localtime')) - 24)",
    "(strftime('%Y', datetime(%1, 'unixepoch', 'localtime')) * 10000 + \n"
    " strftime('%j', datetime(%1, 'unixepoch', 'localtime')) - 1)",
    "(strftime('%Y', datetime(%1, 'unixepoch', 'localtime', '-3 day', 'weekday 4'))*10000 + "
    "((strftime('%j', datetime(%1, 'unixepoch', 'localtime', '-3 day', 'weekday 4')) - 1) / 7 "
    "|0) + 1)",
    "(strftime('%Y', datetime(%1, 'unixepoch', 'localtime')) * 10000 + \n"
    " strftime('%m', datetime(%1, 'unixepoch', 'localtime')) )",
};

constexpr std::array<const char*, periodCount> labels{
    "CASE [Period]\n WHEN MinDate THEN datetime(_%17_, 'unixepoch', 'localtime') \n ELSE "
    "datetime(strftime('%s', datetime(((Period - (Period % 10000)) / 10000) || '-01-01', '+' || "
    "(Period % 10000) || ' hours', 'utc')), 'unixepoch', 'localtime') \nEND",
    "CASE [Period]\n WHEN MinDate THEN date(_%17_, 'unixepoch', 'localtime') \n ELSE "
    "date(strftime('%s', datetime(((Period - (Period % 10000)) / 10000) || '-01-01', '+' || "
    "(Period % 10000) || ' days', 'utc')), 'unixepoch', 'localtime') \nEND",
    "CASE [Period]\n WHEN MinDate THEN date(_%17_, 'unixepoch', 'localtime') \n ELSE "
    "date(strftime('%s', datetime(((Period - (Period % 10000)) / 10000) || '-01-04',  ((((Period "
    "% 10000) - 1) * 7) -6 ) || ' days', 'weekday 1', 'utc')), 'unixepoch', 'localtime') \nEND",
    "CASE [Period]\n WHEN MinDate THEN strftime('%Y-%m',_%17_, 'unixepoch', 'localtime') \n ELSE "
    "strftime('%Y-%m', strftime('%s', datetime(((Period - (Period % 10000)) / 10000) || '-01-01',  "
    "(Period % 10000 - 1) || ' months', 'utc')), 'unixepoch', 'localtime') \nEND",
};

// The bound is the count of offsets of the year: a non-leap year has no day offset 365 and no
// hour offset 8760, and its week count is the week of 28 December, which always lies in the
// year's last week.
constexpr std::array<const char*, periodCount> yearBounds{
    " + (strftime('%j', yearcode || '-12-31') * 24)",
    " + strftime('%j', yearcode || '-12-31')",
    " + ((strftime('%j', yearcode || '-12-28', '-3 day', 'weekday 4') - 1) / 7) + 2",
    "",
};

constexpr std::array<const char*, periodCount> yearTables{"YearHours", "YearDays", "YearWeeks",
                                                          "YearMonths"};

std::size_t indexOf(int period) {
    return static_cast<std::size_t>(period);
}

int localYear(qint64 seconds) {
    return QDateTime::fromSecsSinceEpoch(seconds).date().year();
}

} // namespace

QString periodOf(int period, const QString& operand) {
    return QString::fromLatin1(periodExpressions.at(indexOf(period)))
        .replace(QStringLiteral("%1"), operand);
}

QString samplePeriod(int period, const QString& column) {
    return periodOf(period, column) + QStringLiteral(" as dt2");
}

QString minDate(int period, qint64 start) {
    return periodOf(period, QString::number(start));
}

QString maxDate(int period, qint64 end) {
    return periodOf(period, QString::number(period == Day ? end - 1 : end));
}

QString periodLabel(int period) {
    return QString::fromLatin1(labels.at(indexOf(period)));
}

QString yearBound(int period) {
    return QString::fromLatin1(yearBounds.at(indexOf(period)));
}

bool hasYearBound(int period) {
    return period != Month;
}

QString existingPeriodsOnly(int period) {
    if (period != Hour)
        return {};
    // An hour skipped when the clock is set forward has an offset but no instant: its first
    // instant, as the label computes it, falls into another hour.
    return QStringLiteral(" AND ") +
           periodOf(Hour, QStringLiteral("strftime('%s', datetime(yearcode || '-01-01', '+' || "
                                         "t1.DateNum || ' hours', 'utc'))")) +
           QStringLiteral(" = DateNumm");
}

QString yearTable(int period) {
    return QString::fromLatin1(yearTables.at(indexOf(period)));
}

YearSpan yearsOfRange(int period, qint64 start, qint64 end) {
    if (end < start)
        return {};
    const int widen = period == Week ? 1 : 0;
    return {localYear(start) - widen, localYear(end) + widen};
}

} // namespace periodSql
