#include "VELMPluginReportGenerator/report/PeriodRange.h"

#include "VELMPluginReportGenerator/registry/ReportCodes.h"

using namespace reportRegistry;

namespace {

qint64 startOf(QDate date) {
    return QDateTime(date, QTime(0, 0, 0)).toSecsSinceEpoch();
}

// Not 23:59:59: the last minute of the day starts the end.
qint64 endOf(QDate date) {
    return QDateTime(date, QTime(23, 59, 0)).toSecsSinceEpoch();
}

PeriodRange days(QDate first, QDate last) {
    return {startOf(first), endOf(last)};
}

PeriodRange weeksBack(QDate monday, int weeks) {
    const QDate first = monday.addDays(-7 * weeks);
    return days(first, first.addDays(7 * weeks - 1));
}

PeriodRange monthsBack(QDate firstOfMonth, int months) {
    return days(firstOfMonth.addMonths(-months), firstOfMonth.addDays(-1));
}

} // namespace

PeriodRange periodRange(int period, const QDateTime& now) {
    const QDate today = now.toLocalTime().date();
    const QDate monday = today.addDays(1 - today.dayOfWeek());
    const QDate firstOfMonth(today.year(), today.month(), 1);
    switch (period) {
    case P_LAST_WEEK:
        return weeksBack(monday, 1);
    case P_LAST_TWO_WEEK:
        return weeksBack(monday, 2);
    case P_THIS_WEEK:
        return days(monday, monday.addDays(6));
    case P_LAST_MONTH:
        return monthsBack(firstOfMonth, 1);
    case P_LAST_TWO_MONTH:
        return monthsBack(firstOfMonth, 2);
    case P_LAST_SIX_MONTH:
        return monthsBack(firstOfMonth, 6);
    case P_THIS_MONTH:
        return days(firstOfMonth, firstOfMonth.addMonths(1).addDays(-1));
    case P_LAST_YEAR:
        return days(QDate(today.year() - 1, 1, 1), QDate(today.year() - 1, 12, 31));
    case P_THIS_YEAR:
        return days(QDate(today.year(), 1, 1), QDate(today.year(), 12, 31));
    default:
        return {};
    }
}
