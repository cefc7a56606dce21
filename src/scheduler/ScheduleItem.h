#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

// Recurrence unit of a schedule item; the code is what the table stores.
enum IntervalCode : int {
    OccurOnce = 0,
    OccurHourly = 1,
    OccurDaily = 2,
    OccurWeekly = 3,
    OccurMonthly = 4,
};

// The name carried in messages for an interval code ("OCCUR_DAILY" ...); an unknown code
// has no name and is written as "OCCUR_ONCE".
QString intervalName(int code);
// Exact, case-sensitive match; anything else is OccurOnce.
int intervalCodeFromName(const QString& name);

// One planned command. Times are local date-times; a missing stop or next time is nullopt.
struct ScheduleItem {
    QDateTime startTime;
    std::optional<QDateTime> stopTime;
    std::optional<QDateTime> nextTime;
    // The planned time the item last fired for (in memory only): its next run is never
    // computed from before it, so an item fired early does not come round a second time.
    std::optional<QDateTime> firedFor;
    QString commandToSend;
    int intervalType = OccurOnce;
    qint32 intervalValue = 1;
    bool permanent = false;
    QString tag;
    qint32 scheduleId = -1;
};

// Seconds since 1970 (UTC) <-> local date-time.
QDateTime localFromSeconds(qint64 seconds);
// 0 means "no time".
std::optional<QDateTime> optionalLocalFromSeconds(qint64 seconds);
qint64 secondsOf(const QDateTime& time);
qint64 secondsOf(const std::optional<QDateTime>& time);

// A recurring item with a stop time other than its start is ended: it never runs again.
bool isEnded(const ScheduleItem& item);
