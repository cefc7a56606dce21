#include "scheduler/NextRunTime.h"

#include "scheduler/LocalTime.h"
#include "scheduler/ScheduleItem.h"

#include <QDate>
#include <QTime>

namespace {

// The units to add to a candidate `elapsed` units after the start so that it falls on the
// item's rhythm of `n`: every run lies a whole number of intervals after the start.
qint64 toRhythm(qint64 elapsed, qint64 n) {
    const qint64 off = ((elapsed % n) + n) % n;
    return off == 0 ? 0 : n - off;
}

std::optional<QDateTime> singleRun(const QDateTime& start, const QDateTime& now) {
    if (start < now)
        return std::nullopt;
    return start;
}

QDateTime daily(const QDateTime& start, qint64 n, const QDateTime& now) {
    const QTime at = start.time();
    // Today only when today is one of the item's days: an item every n days (a weekly one)
    // would otherwise run on the wrong day whenever it is planned before its time of day.
    const bool todayInRhythm = start.date().daysTo(now.date()) % n == 0;
    if (now.time() < at && todayInRhythm) {
        // On the day the clock is set back, now may already lie in the repeated hour after
        // the first occurrence of the time: then the second occurrence is still ahead.
        const QDateTime today = localAt(now.date(), at);
        if (today > now)
            return today;
        const QDateTime later = localAt(now.date(), at, Occurrence::Later);
        if (later > now)
            return later;
    }
    QDate date = now.date().addDays(1);
    if (n > 1)
        date = date.addDays(toRhythm(start.date().daysTo(date), n));
    return localAt(date, at);
}

QDateTime hourly(const QDateTime& start, qint64 n, const QDateTime& now) {
    // T is this hour of now at the start's minute and second; counting from the start of
    // now's own hour keeps the right one of two repeated hours.
    const QTime nowTime = now.time();
    const qint64 intoHourMs = (nowTime.minute() * 60 + nowTime.second()) * 1000LL + nowTime.msec();
    const QDateTime hourStart = now.addMSecs(-intoHourMs);
    QDateTime c = hourStart.addSecs(start.time().minute() * 60 + start.time().second());
    if (c < now)
        c = c.addSecs(3600);
    if (n > 1) {
        // Hours of the wall clock from the start's hour to the candidate's.
        const qint64 elapsed =
            24 * start.date().daysTo(c.date()) + c.time().hour() - start.time().hour();
        c = c.addSecs(toRhythm(elapsed, n) * 3600);
    }
    return c;
}

QDate clampedDay(int year, int month, int day) {
    const int last = QDate(year, month, 1).daysInMonth();
    return QDate(year, month, day < last ? day : last);
}

QDateTime monthly(const QDateTime& start, qint64 n, const QDateTime& now) {
    const int day = start.date().day();
    const QTime at = start.time();
    QDate date = clampedDay(now.date().year(), now.date().month(), day);
    QDateTime c = localAt(date, at);
    if (c <= now) {
        const QDate next = now.date().addMonths(1);
        date = clampedDay(next.year(), next.month(), day);
        c = localAt(date, at);
    }
    if (n > 1) {
        const qint64 elapsed =
            12 * (qint64(date.year()) - start.date().year()) + date.month() - start.date().month();
        // The day comes from the start each time, so a day-31 item returns to the 31st
        // after a shorter month.
        const QDate moved = date.addMonths(int(toRhythm(elapsed, n)));
        c = localAt(clampedDay(moved.year(), moved.month(), day), at);
    }
    return c;
}

} // namespace

std::optional<QDateTime> nextRunTime(const QDateTime& start, int intervalType, qint32 intervalValue,
                                     const QDateTime& now) {
    if (start > now)
        return start;
    qint64 n = intervalValue;
    if (intervalType == OccurWeekly) {
        n *= 7;
        intervalType = OccurDaily;
    }
    if (n == 0 || intervalType == OccurOnce)
        return singleRun(start, now);
    QDateTime next;
    switch (intervalType) {
    case OccurDaily:
        next = daily(start, n, now);
        break;
    case OccurHourly:
        next = hourly(start, n, now);
        break;
    case OccurMonthly:
        next = monthly(start, n, now);
        break;
    default:
        return std::nullopt;
    }
    // An interval so large that the run lies beyond the representable range never comes.
    if (!next.isValid())
        return std::nullopt;
    return next;
}
