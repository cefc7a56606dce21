#include "scheduler/NextRunTime.h"

#include "scheduler/LocalTime.h"
#include "scheduler/ScheduleItem.h"

#include <QDate>
#include <QTime>

namespace {

qint64 nonNegative(qint64 value) {
    return value < 0 ? 0 : value;
}

std::optional<QDateTime> singleRun(const QDateTime& start, const QDateTime& now) {
    if (start < now)
        return std::nullopt;
    return start;
}

QDateTime daily(const QDateTime& start, qint64 n, const QDateTime& now) {
    const QTime at = start.time();
    if (now.time() < at) {
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
    if (n > 1) {
        const qint64 d = nonNegative(start.date().daysTo(date) - 1);
        date = date.addDays(n - (d % n) - 1);
    }
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
        const qint64 d = nonNegative(start.date().daysTo(c.date()) - 1);
        const qint64 k = (c.time().hour() + 24 + 24 * d - start.time().hour()) % n;
        c = c.addSecs(k * 3600);
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
        const qint64 d = nonNegative(qint64(date.year()) - start.date().year() - 1);
        const qint64 k = (date.month() + 12 + 12 * d - start.date().month()) % n;
        // The day comes from the start each time, so a day-31 item returns to the 31st
        // after a shorter month.
        const QDate moved = date.addMonths(int(k));
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
