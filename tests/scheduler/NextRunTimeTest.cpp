#include "scheduler/NextRunTime.h"
#include "scheduler/ScheduleItem.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include <QDateTime>
#include <QString>

namespace {

// Times are written with their UTC offset so that both occurrences of a repeated hour can be
// named; "-" means no run.
QDateTime at(const char* iso) {
    const QDateTime t = QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODateWithMs);
    EXPECT_TRUE(t.isValid()) << iso;
    return t.toLocalTime();
}

QString show(const std::optional<QDateTime>& t) {
    return t ? t->toOffsetFromUtc(t->offsetFromUtc()).toString(Qt::ISODateWithMs)
             : QStringLiteral("-");
}

struct Case {
    const char* name;
    const char* start;
    int type;
    qint32 value;
    const char* now;
    const char* expected;
};

const Case kCases[] = {
    // Start ahead of now: the start, whatever the type.
    {"once ahead", "2026-06-10T12:00:00+02:00", OccurOnce, 1, "2026-06-10T11:00:00+02:00",
     "2026-06-10T12:00:00+02:00"},
    {"hourly ahead", "2026-06-10T12:00:00+02:00", OccurHourly, 5, "2026-06-01T11:00:00+02:00",
     "2026-06-10T12:00:00+02:00"},
    {"monthly ahead", "2026-06-10T12:00:00+02:00", OccurMonthly, 5, "2026-06-01T11:00:00+02:00",
     "2026-06-10T12:00:00+02:00"},
    {"unknown code ahead", "2026-06-10T12:00:00+02:00", 9, 1, "2026-06-10T11:00:00+02:00",
     "2026-06-10T12:00:00+02:00"},
    // Single runs.
    {"once in the past", "2026-06-10T12:00:00+02:00", OccurOnce, 1, "2026-06-10T12:00:00.001+02:00",
     "-"},
    {"once exactly now", "2026-06-10T12:00:00+02:00", OccurOnce, 1, "2026-06-10T12:00:00+02:00",
     "2026-06-10T12:00:00+02:00"},
    {"daily value 0 is a single run", "2026-06-10T12:00:00+02:00", OccurDaily, 0,
     "2026-06-11T09:00:00+02:00", "-"},
    {"monthly value 0 is a single run", "2026-06-10T12:00:00+02:00", OccurMonthly, 0,
     "2026-06-10T12:00:00+02:00", "2026-06-10T12:00:00+02:00"},
    {"unknown code in the past", "2026-06-10T12:00:00+02:00", 9, 1, "2026-06-11T12:00:00+02:00",
     "-"},
    // Daily.
    {"daily later today", "2026-06-01T10:00:00+02:00", OccurDaily, 1, "2026-06-10T09:00:00+02:00",
     "2026-06-10T10:00:00+02:00"},
    {"daily tomorrow", "2026-06-01T10:00:00+02:00", OccurDaily, 1, "2026-06-10T11:00:00+02:00",
     "2026-06-11T10:00:00+02:00"},
    {"daily at its own time goes to tomorrow", "2026-06-01T10:00:00+02:00", OccurDaily, 1,
     "2026-06-10T10:00:00+02:00", "2026-06-11T10:00:00+02:00"},
    {"every 3 days, started 3 days ago", "2026-06-07T10:00:00+02:00", OccurDaily, 3,
     "2026-06-10T11:00:00+02:00", "2026-06-13T10:00:00+02:00"},
    {"every 3 days, started yesterday", "2026-06-09T10:00:00+02:00", OccurDaily, 3,
     "2026-06-10T11:00:00+02:00", "2026-06-12T10:00:00+02:00"},
    // Runs lie whole intervals after the start: today only when it is one of the item's days.
    {"every 3 days, today's time not passed, today off rhythm", "2026-06-08T10:00:00+02:00",
     OccurDaily, 3, "2026-06-10T09:00:00+02:00", "2026-06-11T10:00:00+02:00"},
    {"every 3 days, today's time not passed, today in rhythm", "2026-06-07T10:00:00+02:00",
     OccurDaily, 3, "2026-06-10T09:00:00+02:00", "2026-06-10T10:00:00+02:00"},
    // Weekly is daily over 7 x n days.
    {"weekly", "2026-06-01T08:00:00+02:00", OccurWeekly, 1, "2026-06-08T09:00:00+02:00",
     "2026-06-15T08:00:00+02:00"},
    {"fortnightly", "2026-06-01T08:00:00+02:00", OccurWeekly, 2, "2026-06-05T12:00:00+02:00",
     "2026-06-15T08:00:00+02:00"},
    {"weekly from a Sunday, planned on a Wednesday morning", "2026-12-06T21:01:00+01:00",
     OccurWeekly, 1, "2026-12-09T08:00:00+01:00", "2026-12-13T21:01:00+01:00"},
    // Hourly.
    {"hourly later this hour", "2026-06-01T10:15:30+02:00", OccurHourly, 1,
     "2026-06-10T13:10:00+02:00", "2026-06-10T13:15:30+02:00"},
    {"hourly next hour", "2026-06-01T10:15:30+02:00", OccurHourly, 1, "2026-06-10T13:20:00+02:00",
     "2026-06-10T14:15:30+02:00"},
    {"hourly exactly at its minute", "2026-06-01T10:15:30+02:00", OccurHourly, 1,
     "2026-06-10T13:15:30+02:00", "2026-06-10T13:15:30+02:00"},
    {"hourly next day across midnight", "2026-06-01T10:15:30+02:00", OccurHourly, 1,
     "2026-06-10T23:50:00+02:00", "2026-06-11T00:15:30+02:00"},
    // Runs at 10:00, 13:00, ... of the start's day and on through midnight: 25 hours after
    // the start is one past the rhythm, so 12:00 moves on to 13:00.
    {"every 3 hours keeps its rhythm", "2026-06-09T10:00:00+02:00", OccurHourly, 3,
     "2026-06-10T11:30:00+02:00", "2026-06-10T13:00:00+02:00"},
    {"every 5 hours on the start's day", "2026-06-10T01:00:00+02:00", OccurHourly, 5,
     "2026-06-10T07:30:00+02:00", "2026-06-10T11:00:00+02:00"},
    // Monthly, with the day clamped to shorter months and taken from the start each time.
    {"monthly 31st in February", "2026-01-31T09:00:00+01:00", OccurMonthly, 1,
     "2026-02-10T00:00:00+01:00", "2026-02-28T09:00:00+01:00"},
    {"monthly 31st after February", "2026-01-31T09:00:00+01:00", OccurMonthly, 1,
     "2026-02-28T09:00:00.001+01:00", "2026-03-31T09:00:00+02:00"},
    {"monthly 31st in April", "2026-01-31T09:00:00+01:00", OccurMonthly, 1,
     "2026-04-05T00:00:00+02:00", "2026-04-30T09:00:00+02:00"},
    {"monthly 31st after April", "2026-01-31T09:00:00+01:00", OccurMonthly, 1,
     "2026-04-30T09:30:00+02:00", "2026-05-31T09:00:00+02:00"},
    {"monthly 31st in a leap February", "2027-12-31T09:00:00+01:00", OccurMonthly, 1,
     "2028-02-01T00:00:00+01:00", "2028-02-29T09:00:00+01:00"},
    {"every 2 months, off month", "2026-01-15T09:00:00+01:00", OccurMonthly, 2,
     "2026-03-15T09:00:00.001+01:00", "2026-05-15T09:00:00+02:00"},
    {"every 2 months, in rhythm", "2026-01-15T09:00:00+01:00", OccurMonthly, 2,
     "2026-02-20T00:00:00+01:00", "2026-03-15T09:00:00+01:00"},
    {"every 2 months from the 31st", "2026-01-31T09:00:00+01:00", OccurMonthly, 2,
     "2026-02-10T00:00:00+01:00", "2026-03-31T09:00:00+02:00"},
    {"every 3 months across the year", "2025-11-05T09:00:00+01:00", OccurMonthly, 3,
     "2026-01-10T00:00:00+01:00", "2026-02-05T09:00:00+01:00"},
    {"quarterly a year on", "2026-01-15T10:00:00+01:00", OccurMonthly, 3,
     "2026-12-09T12:00:00+01:00", "2027-01-15T10:00:00+01:00"},
    {"every 7 months within the start's year", "2026-01-15T10:00:00+01:00", OccurMonthly, 7,
     "2026-03-01T12:00:00+01:00", "2026-08-15T10:00:00+02:00"},
    // Spring: 2026-03-29 02:00 +01:00 jumps to 03:00 +02:00.
    {"daily 02:30 on the gap day runs after the gap", "2026-03-01T02:30:00+01:00", OccurDaily, 1,
     "2026-03-28T02:30:00.001+01:00", "2026-03-29T03:30:00+02:00"},
    {"daily 02:30 before the gap on the gap day", "2026-03-01T02:30:00+01:00", OccurDaily, 1,
     "2026-03-29T01:50:00+01:00", "2026-03-29T03:30:00+02:00"},
    {"daily 02:30 after the gap day", "2026-03-01T02:30:00+01:00", OccurDaily, 1,
     "2026-03-29T03:30:00.001+02:00", "2026-03-30T02:30:00+02:00"},
    {"hourly across the gap", "2026-03-01T00:30:00+01:00", OccurHourly, 1,
     "2026-03-29T01:30:00.001+01:00", "2026-03-29T03:30:00+02:00"},
    // Autumn: 2026-10-25 03:00 +02:00 goes back to 02:00 +01:00.
    {"daily 02:30 before the overlap", "2026-10-01T02:30:00+02:00", OccurDaily, 1,
     "2026-10-24T02:30:00.001+02:00", "2026-10-25T02:30:00+02:00"},
    {"daily 02:30 runs once in the overlap", "2026-10-01T02:30:00+02:00", OccurDaily, 1,
     "2026-10-25T02:30:00.001+02:00", "2026-10-26T02:30:00+01:00"},
    {"daily 02:30 first seen in the repeated hour", "2026-10-01T02:30:00+02:00", OccurDaily, 1,
     "2026-10-25T02:10:00+01:00", "2026-10-25T02:30:00+01:00"},
    {"hourly into the overlap", "2026-10-01T00:30:00+02:00", OccurHourly, 1,
     "2026-10-25T01:30:00.001+02:00", "2026-10-25T02:30:00+02:00"},
    {"hourly through the overlap", "2026-10-01T00:30:00+02:00", OccurHourly, 1,
     "2026-10-25T02:30:00.001+02:00", "2026-10-25T02:30:00+01:00"},
    {"hourly out of the overlap", "2026-10-01T00:30:00+02:00", OccurHourly, 1,
     "2026-10-25T02:30:00.001+01:00", "2026-10-25T03:30:00+01:00"},
};

class NextRunTimeTest : public testing::TestWithParam<Case> {};

TEST_P(NextRunTimeTest, ComputesTheNextRun) {
    const Case& c = GetParam();
    const std::optional<QDateTime> next = nextRunTime(at(c.start), c.type, c.value, at(c.now));
    const QString expected = c.expected[0] == '-' ? QStringLiteral("-") : show(at(c.expected));
    EXPECT_EQ(show(next).toStdString(), expected.toStdString()) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Table, NextRunTimeTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) {
                             return "case" + std::to_string(info.index);
                         });

TEST(NextRunTime, RunsTheTestsInBerlinTime) {
    // The table's expectations about clock changes only hold where they happen.
    EXPECT_EQ(at("2026-03-29T03:30:00+02:00").time().hour(), 3);
    EXPECT_EQ(at("2026-01-10T12:00:00+00:00").offsetFromUtc(), 3600);
}

TEST(NextRunTime, WeeklyIsDailyOverSevenTimesTheValue) {
    const QDateTime start = at("2026-02-02T08:00:00+01:00");
    for (QDateTime now = start.addDays(-3); now < start.addDays(120);
         now = now.addSecs(7 * 3600 + 13)) {
        ASSERT_EQ(show(nextRunTime(start, OccurWeekly, 2, now)),
                  show(nextRunTime(start, OccurDaily, 14, now)))
            << now.toString(Qt::ISODate).toStdString();
    }
}

// Whenever it is planned, the next run is the first one of the item's rhythm still ahead: a
// whole number of intervals after the start, with none of them between now and it.
TEST(NextRunTime, TheNextRunIsTheFirstOfTheRhythmStillAhead) {
    const QDateTime start = at("2026-04-07T10:20:00+02:00");
    for (qint32 n = 2; n <= 13; ++n) {
        // The runs of the rhythm over more than a year, in wall-clock units.
        const auto runs = [&](int type) {
            std::vector<QDateTime> list;
            for (int i = 0; i < 2000; ++i)
                list.push_back(type == OccurHourly  ? start.addSecs(qint64(i) * n * 3600)
                               : type == OccurDaily ? start.addDays(qint64(i) * n)
                                                    : start.addMonths(i * n));
            return list;
        };
        for (int type : {int(OccurHourly), int(OccurDaily), int(OccurMonthly)}) {
            const std::vector<QDateTime> rhythm = runs(type);
            const qint64 step = type == OccurHourly  ? 1777
                                : type == OccurDaily ? 7 * 3600 + 13
                                                     : 5 * 86400 + 7;
            for (QDateTime now = start.addSecs(1); now < start.addDays(150);
                 now = now.addSecs(step)) {
                const auto expected = std::find_if(
                    rhythm.begin(), rhythm.end(), [&](const QDateTime& run) { return run >= now; });
                ASSERT_NE(expected, rhythm.end());
                ASSERT_EQ(show(nextRunTime(start, type, n, now)), show(*expected))
                    << "type " << type << " every " << n << " at "
                    << now.toString(Qt::ISODate).toStdString();
            }
        }
    }
}

TEST(NextRunTime, RecurringRunsAlwaysLieAheadAcrossClockChanges) {
    // Walk through both clock changes of a year in 10-minute steps: a recurring item must
    // always get a future time, or it would stay on a past one for good.
    const QDateTime start = at("2026-01-01T02:30:00+01:00");
    for (int type : {int(OccurHourly), int(OccurDaily), int(OccurWeekly), int(OccurMonthly)}) {
        for (const char* from : {"2026-03-28T00:00:00+01:00", "2026-10-24T00:00:00+02:00"}) {
            const QDateTime begin = at(from);
            for (QDateTime now = begin; now < begin.addDays(2); now = now.addSecs(600)) {
                const auto next = nextRunTime(start, type, 1, now);
                ASSERT_TRUE(next.has_value());
                ASSERT_GE(*next, now) << type << " at " << now.toString(Qt::ISODate).toStdString();
            }
        }
    }
}

TEST(NextRunTime, HugeIntervalsNeverYieldAnInvalidTime) {
    const QDateTime start = at("2026-01-01T10:00:00+01:00");
    const QDateTime now = at("2026-06-01T11:00:00+02:00");
    for (int type : {int(OccurHourly), int(OccurDaily), int(OccurWeekly), int(OccurMonthly)}) {
        const auto next = nextRunTime(start, type, 2147483647, now);
        if (next) {
            EXPECT_TRUE(next->isValid());
        }
    }
}

TEST(ScheduleItem, EndedOnlyForRecurringItemsWithADifferentStopTime) {
    ScheduleItem item;
    item.startTime = at("2026-06-01T10:00:00+02:00");
    item.intervalType = OccurDaily;
    EXPECT_FALSE(isEnded(item));
    item.stopTime = item.startTime;
    EXPECT_FALSE(isEnded(item));
    item.stopTime = item.startTime.addDays(30);
    EXPECT_TRUE(isEnded(item));
    item.intervalType = OccurOnce;
    EXPECT_FALSE(isEnded(item));
}

TEST(ScheduleItem, IntervalNamesMatchExactly) {
    for (int code = 0; code <= 4; ++code)
        EXPECT_EQ(intervalCodeFromName(intervalName(code)), code);
    EXPECT_EQ(intervalName(OccurMonthly), QStringLiteral("OCCUR_MONTHLY"));
    EXPECT_EQ(intervalCodeFromName(QStringLiteral("occur_daily")), OccurOnce);
    EXPECT_EQ(intervalCodeFromName(QStringLiteral(" OCCUR_DAILY")), OccurOnce);
    EXPECT_EQ(intervalCodeFromName(QString()), OccurOnce);
}

} // namespace
