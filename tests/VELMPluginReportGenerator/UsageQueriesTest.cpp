// Usage reports by period on the real velm-peers: the expected pages come from the counter
// samples each test writes, counted by hand in local (Berlin) time.
#include "PeerDatabase.h"
#include "QtPrinters.h"

#include "VELMPluginReportGenerator/queries/ComposeReportSql.h"
#include "VELMPluginReportGenerator/queries/SqlSafety.h"
#include "VELMPluginReportGenerator/registry/ReportTypes.h"
#include "VXNServiceFramework/time/LocalTime.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace reportRegistry;

namespace {

enum Interval { Hour = 0, Day = 1, Week = 2, Month = 3 };

qint64 at(int y, int m, int d, int h = 0, int min = 0) {
    return localAt(QDate(y, m, d), QTime(h, min)).toSecsSinceEpoch();
}

// The last minute of a local day, as report ranges end.
qint64 endOf(int y, int m, int d) {
    return at(y, m, d, 23, 59);
}

ReportQueryParams usage(int type, int interval, qint64 start, qint64 end,
                        const QString& devices = QStringLiteral("1,2,3")) {
    ReportQueryParams p = periodReport(21, type, interval, start, end);
    p.selectionKind = SelectionKind::Devices;
    p.selectionIds = devices;
    return p;
}

// One row of the counter table: job type, media size, print mode, colour mode, pages so far.
struct CounterRow {
    const char* job;
    const char* media;
    const char* mode;
    const char* colour;
    qint64 pages;
};

QStringList counterSample(int device, qint64 time, const QList<CounterRow>& rows) {
    constexpr int counterTable = 47;
    QStringList cells;
    for (int i = 0; i < rows.size(); ++i) {
        const auto& r = rows[i];
        const int row = i + 1;
        cells << PeerDatabase::history(device, counterTable, 2, row, time, r.job)
              << PeerDatabase::history(device, counterTable, 3, row, time, r.media)
              << PeerDatabase::history(device, counterTable, 5, row, time, r.mode)
              << PeerDatabase::history(device, counterTable, 6, row, time, r.colour)
              << PeerDatabase::history(device, counterTable, 7, row, time,
                                       QString::number(r.pages));
    }
    return cells;
}

// Colour and mono pages split over printed and copied jobs, as devices report them, plus rows
// that colour/mono usage must not count: scans and the device's own reports.
QStringList colourMono(int device, qint64 time, qint64 colour, qint64 mono) {
    return counterSample(device, time,
                         {{"print", "small", "simplex", "fullColor", colour - colour / 4},
                          {"copy", "large", "duplex", "fullColor", colour / 4},
                          {"print", "small", "simplex", "monoColor", mono},
                          {"scan", "small", "simplex", "fullColor", 1000 + time % 97},
                          {"report", "small", "simplex", "monoColor", 7 + time % 89}});
}

// Colour pages only, one row per sample.
QStringList colourOnly(int device, qint64 time, qint64 colour) {
    return counterSample(device, time, {{"print", "small", "simplex", "fullColor", colour}});
}

// Ten colour pages an hour on device 1, sampled on the hour in UTC from `first` to `last`.
QStringList tenPagesAnHour(qint64 first, qint64 last, qint64& pages) {
    QStringList cells;
    for (qint64 t = first; t <= last; t += 3600)
        cells << colourOnly(1, t, pages += 10);
    return cells;
}

const QStringList colourMonoColumns{"DeviceID", "Color_Counter", "Mono_Counter", "Total", "Period"};

QString row(int device, const QString& colour, const QString& mono, qint64 total,
            const QString& period) {
    return QStringLiteral("DeviceID=%1|Color_Counter=%2|Mono_Counter=%3|Total=%4|Period=%5")
        .arg(device)
        .arg(colour, mono)
        .arg(total)
        .arg(period);
}

QString row(int device, qint64 colour, qint64 mono, const QString& period) {
    return row(device, QString::number(colour), QString::number(mono), colour + mono, period);
}

class UsageQueries : public ReportScriptTest {};

} // namespace

TEST_F(UsageQueries, DailyUsageIsTheRiseOfTheHighestValuePerDay) {
    QStringList fill;
    for (int d = 1; d <= 3; ++d)
        fill << PeerDatabase::device(d);
    // Device 1 starts reporting inside the range: 100, then 160 that day, 200 the next.
    fill << colourMono(1, at(2008, 3, 20, 8), 100, 10)
         << colourMono(1, at(2008, 3, 20, 16), 160, 15)
         << colourMono(1, at(2008, 3, 21, 10), 200, 30);
    // Device 2 has a month of history before the range; its counter is reset on the 21st.
    fill << colourMono(2, at(2008, 2, 25, 12), 400, 900)
         << colourMono(2, at(2008, 3, 19, 23), 500, 1000)
         << colourMono(2, at(2008, 3, 20, 9), 520, 1004)
         << colourMono(2, at(2008, 3, 21, 9), 20, 4);
    // Device 3 has no samples at all.
    db.exec(fill);

    EXPECT_EQ(run(usage(RT_USAGE_COLOR_MONO, Day, at(2008, 3, 20), endOf(2008, 3, 21)),
                  colourMonoColumns),
              (QStringList{row(1, 60, 5, "2008-03-20"), row(1, 40, 15, "2008-03-21"),
                           row(2, 20, 4, "2008-03-20"), row(2, -500, -1000, "2008-03-21"),
                           row(3, "", "", 0, "2008-03-20"), row(3, "", "", 0, "2008-03-21")}));
}

TEST_F(UsageQueries, SamplesJustOutsideTheRangeBoundItsFirstAndLastPeriod) {
    db.exec(
        QStringList{PeerDatabase::device(1)}
        << colourMono(1, at(2008, 3, 19, 12), 50, 0) << colourMono(1, at(2008, 3, 20, 8), 100, 0)
        << colourMono(1, at(2008, 3, 20, 10), 150, 0) << colourMono(1, at(2008, 3, 20, 20), 170, 0)
        << colourMono(1, at(2008, 3, 21, 11), 190, 0) << colourMono(1, at(2008, 3, 21, 13), 230, 0)
        << colourMono(1, at(2008, 3, 21, 18), 260, 0));
    // From 09:00 on the 20th the day counts from the 08:00 value; to 12:00 on the 21st the day
    // counts up to the first value after the end.
    EXPECT_EQ(run(usage(RT_USAGE_COLOR_MONO, Day, at(2008, 3, 20, 9), at(2008, 3, 21, 12), "1"),
                  colourMonoColumns),
              (QStringList{row(1, 70, 0, "2008-03-20"), row(1, 60, 0, "2008-03-21")}));
}

TEST_F(UsageQueries, DaysFollowLocalTimeAcrossTheClockChanges) {
    // Ten pages every hour, sampled on the hour in UTC: a local day has as many samples as it
    // has hours, 23 on the day the clock is set forward, 25 on the day it is set back.
    qint64 pages = 0;
    db.exec(QStringList{PeerDatabase::device(1)}
            << tenPagesAnHour(at(2008, 10, 24, 12), at(2008, 10, 28, 12), pages)
            << tenPagesAnHour(at(2008, 3, 29, 12), at(2008, 4, 1, 12), pages));

    EXPECT_EQ(
        run(usage(RT_USAGE_COLOR_MONO, Day, at(2008, 10, 25), endOf(2008, 10, 27), "1"),
            colourMonoColumns),
        (QStringList{row(1, "240", "", 240, "2008-10-25"), row(1, "250", "", 250, "2008-10-26"),
                     row(1, "240", "", 240, "2008-10-27")}));
    EXPECT_EQ(
        run(usage(RT_USAGE_COLOR_MONO, Day, at(2008, 3, 30), endOf(2008, 3, 31), "1"),
            colourMonoColumns),
        (QStringList{row(1, "230", "", 230, "2008-03-30"), row(1, "240", "", 240, "2008-03-31")}));
}

TEST_F(UsageQueries, DayPeriodsRestartEachYearAndNeverShowADayTheYearLacks) {
    QStringList fill{PeerDatabase::device(1)};
    qint64 pages = 1000;
    for (qint64 t = at(2007, 12, 30, 12); t <= at(2008, 1, 3, 12); t += 6 * 3600)
        fill << colourMono(1, t, pages += 5, 0);
    db.exec(fill);

    // Four samples a day, five pages apart; the last day ends at noon and counts up to the
    // first sample after the end (18:00).
    auto p = usage(RT_USAGE_COLOR_MONO, Day, at(2007, 12, 31), at(2008, 1, 2, 12), "1");
    EXPECT_EQ(run(p, colourMonoColumns),
              (QStringList{row(1, 20, 0, "2007-12-31"), row(1, 20, 0, "2008-01-01"),
                           row(1, 20, 0, "2008-01-02")}));
    // The period numbers themselves, and the two years of the range, read before the final
    // statement.
    QStringList statements = splitSqlStatements(composeReportSql(p));
    const auto final = std::find_if(statements.cbegin(), statements.cend(), [](const QString& s) {
        return s.contains(QLatin1String("CREATE TEMP TABLE FINAL_Res_"));
    });
    ASSERT_NE(final, statements.cend());
    const auto before = final - statements.cbegin();
    statements.insert(before, QStringLiteral("SELECT count(*) AS Found FROM test_years_21_"));
    statements.insert(before, QStringLiteral("SELECT group_concat(DateNumm) AS Found FROM (SELECT "
                                             "DISTINCT DateNumm FROM yeardays_21_ ORDER BY 1)"));
    const auto response = db.send(statements);
    ASSERT_EQ(response->result(), 0) << response->details().toStdString();
    QStringList found;
    for (const auto& set : response->resultSets()) {
        for (const auto& r : set.rows) {
            if (r.contains(u"Found"))
                found << r.value(u"Found");
        }
    }
    EXPECT_EQ(found, (QStringList{"20070364,20080000,20080001", "2"}));

    p.end = at(2008, 1, 2);
    EXPECT_EQ(run(p, colourMonoColumns),
              (QStringList{row(1, 20, 0, "2007-12-31"), row(1, 20, 0, "2008-01-01")}));
}

TEST_F(UsageQueries, WeeksBelongToTheYearOfTheirThursday) {
    // Seven pages a day, sampled at noon; device 2 never reports.
    QStringList fill{PeerDatabase::device(1), PeerDatabase::device(2)};
    qint64 pages = 0;
    for (QDate d(2008, 12, 8); d <= QDate(2009, 1, 12); d = d.addDays(1))
        fill << colourOnly(1, at(d.year(), d.month(), d.day(), 12), pages += 7);
    for (QDate d(2009, 12, 21); d <= QDate(2010, 1, 18); d = d.addDays(1))
        fill << colourOnly(1, at(d.year(), d.month(), d.day(), 12), pages += 7);
    db.exec(fill);

    const auto weeks = [&](qint64 start, qint64 end) {
        return run(usage(RT_USAGE_COLOR_MONO, Week, start, end, "1,2"),
                   {"DeviceID", "Color_Counter", "Period"});
    };
    // 29 December 2008 is the Monday of the first week of 2009.
    EXPECT_EQ(weeks(at(2008, 12, 22), endOf(2009, 1, 11)),
              (QStringList{"DeviceID=1|Color_Counter=49|Period=2008-12-22",
                           "DeviceID=1|Color_Counter=49|Period=2008-12-29",
                           "DeviceID=1|Color_Counter=49|Period=2009-01-05",
                           "DeviceID=2|Color_Counter=|Period=2008-12-22",
                           "DeviceID=2|Color_Counter=|Period=2008-12-29",
                           "DeviceID=2|Color_Counter=|Period=2009-01-05"}));
    // 2010 begins on a Friday: its first three days close the last week of 2009, and its first
    // week is the one of Thursday 7 January, labelled with its Monday.
    EXPECT_EQ(weeks(at(2010, 1, 1), endOf(2010, 1, 17)),
              (QStringList{"DeviceID=1|Color_Counter=21|Period=2010-01-01",
                           "DeviceID=1|Color_Counter=49|Period=2010-01-04",
                           "DeviceID=1|Color_Counter=49|Period=2010-01-11",
                           "DeviceID=2|Color_Counter=|Period=2010-01-01",
                           "DeviceID=2|Color_Counter=|Period=2010-01-04",
                           "DeviceID=2|Color_Counter=|Period=2010-01-11"}));
}

TEST_F(UsageQueries, MonthsAndHoursAreLabelledByTheirFirstInstant) {
    QStringList fill{PeerDatabase::device(1), PeerDatabase::device(2)};
    qint64 pages = 0;
    for (int month = 1; month <= 4; ++month) {
        fill << colourOnly(1, at(2008, month, 1, 12), pages += 100);
        fill << colourOnly(1, at(2008, month, 15, 12), pages += month);
    }
    for (qint64 t = at(2008, 3, 20, 9); t <= at(2008, 3, 20, 14); t += 1800)
        fill << colourOnly(2, t, pages += 1);
    db.exec(fill);

    const QStringList columns{"Color_Counter", "Period"};
    EXPECT_EQ(
        run(usage(RT_USAGE_COLOR_MONO, Month, at(2008, 2, 1), endOf(2008, 3, 31), "1"), columns),
        (QStringList{"Color_Counter=102|Period=2008-02", "Color_Counter=103|Period=2008-03"}));
    // The first hour is labelled with the start itself.
    EXPECT_EQ(
        run(usage(RT_USAGE_COLOR_MONO, Hour, at(2008, 3, 20, 10, 30), at(2008, 3, 20, 12, 59), "2"),
            columns),
        (QStringList{"Color_Counter=1|Period=2008-03-20 10:30:00",
                     "Color_Counter=2|Period=2008-03-20 11:00:00",
                     "Color_Counter=2|Period=2008-03-20 12:00:00"}));
}

TEST_F(UsageQueries, HoursFollowTheLocalClockOnTheDaysItChanges) {
    qint64 pages = 0;
    db.exec(QStringList{PeerDatabase::device(1)}
            << tenPagesAnHour(at(2008, 10, 25, 22), at(2008, 10, 26, 6), pages)
            << tenPagesAnHour(at(2008, 3, 29, 22), at(2008, 3, 30, 6), pages));

    const QStringList columns{"Color_Counter", "Period"};
    // 02:00 happens twice when the clock is set back: one period with two hours of pages.
    EXPECT_EQ(
        run(usage(RT_USAGE_COLOR_MONO, Hour, at(2008, 10, 26, 1), at(2008, 10, 26, 3, 59), "1"),
            columns),
        (QStringList{"Color_Counter=10|Period=2008-10-26 01:00:00",
                     "Color_Counter=20|Period=2008-10-26 02:00:00",
                     "Color_Counter=10|Period=2008-10-26 03:00:00"}));
    // 02:00 does not happen when it is set forward.
    EXPECT_EQ(run(usage(RT_USAGE_COLOR_MONO, Hour, at(2008, 3, 30, 1), at(2008, 3, 30, 3, 59), "1"),
                  columns),
              (QStringList{"Color_Counter=10|Period=2008-03-30 01:00:00",
                           "Color_Counter=10|Period=2008-03-30 03:00:00"}));
}

TEST_F(UsageQueries, TotalPagesSplitsBySizeModeAndColourAndSummariesNeedModelIpAndSerial) {
    // Printed pages of the eight combinations rise by 1, 2, ... 8 steps, copied small simplex
    // mono pages by 10 more; scanned pages and single-sided pages of a duplex unit are no usage.
    const auto sample = [](int device, qint64 time, qint64 base, qint64 step) {
        QList<CounterRow> rows;
        qint64 rise = 0;
        for (const char* media : {"small", "large"}) {
            for (const char* mode : {"simplex", "duplex"}) {
                for (const char* colour : {"monoColor", "fullColor"})
                    rows.append({"print", media, mode, colour, base + step * ++rise});
            }
        }
        rows.append({"copy", "small", "simplex", "monoColor", base + step * 10});
        rows.append({"scan", "small", "simplex", "monoColor", base * 3 + step});
        rows.append({"print", "small", "duplexSingle", "monoColor", base * 5 + step});
        return counterSample(device, time, rows);
    };
    QStringList fill;
    fill << PeerDatabase::identity(1, "10.0.0.1") << PeerDatabase::value(1, 10, "SN1")
         << PeerDatabase::identity(2, "10.0.0.2") // no serial: left out of summaries
         << PeerDatabase::identity(3, "10.0.0.3") << PeerDatabase::value(3, 10, "SN3");
    fill << sample(1, at(2008, 3, 19, 12), 1000, 0) << sample(1, at(2008, 3, 20, 12), 1000, 1)
         << sample(1, at(2008, 3, 21, 12), 1000, 3);
    fill << sample(2, at(2008, 3, 19, 12), 50, 0) << sample(2, at(2008, 3, 21, 12), 50, 2);
    db.exec(fill);

    QStringList columns{"DeviceID", "ModelName", "IP", "Serial"};
    const QStringList counters = reportTypeCounters(RT_USAGE_TOTAL_PAGES);
    columns << counters << "Total";
    auto p = usage(RT_USAGE_TOTAL_PAGES, Day, at(2008, 3, 20), endOf(2008, 3, 21));
    p.groupBy = GroupBySpec{GroupBySpec::deviceGroups, QStringLiteral("Group")};
    // Device 1 rises by 3 steps over the range: 3 * (1..8) plus 30 copies, 138 pages in all.
    QString device1 = "DeviceID=1|ModelName=Model 1|IP=10.0.0.1|Serial=SN1";
    for (int k = 1; k <= 8; ++k)
        device1 += QStringLiteral("|%1=%2").arg(counters[k - 1]).arg(3 * k + (k == 1 ? 30 : 0));
    device1 += "|Total=138";
    QString device3 = "DeviceID=3|ModelName=Model 3|IP=10.0.0.3|Serial=SN3";
    for (const auto& name : counters)
        device3 += QStringLiteral("|%1=0").arg(name);
    device3 += "|Total=0";
    EXPECT_EQ(run(p, columns), (QStringList{device1, device3}));

    // Per device and period the same rises, split over the two days.
    p.groupBy.reset();
    const QStringList perPeriod{"DeviceID", "Small_Simplex_Mono", "Large_Duplex_Color", "Total",
                                "Period"};
    EXPECT_EQ(run(p, perPeriod),
              (QStringList{"DeviceID=1|Small_Simplex_Mono=11|Large_Duplex_Color=8|Total=46|"
                           "Period=2008-03-20",
                           "DeviceID=1|Small_Simplex_Mono=22|Large_Duplex_Color=16|Total=92|"
                           "Period=2008-03-21",
                           "DeviceID=2|Small_Simplex_Mono=|Large_Duplex_Color=|Total=0|"
                           "Period=2008-03-20",
                           "DeviceID=2|Small_Simplex_Mono=22|Large_Duplex_Color=16|Total=92|"
                           "Period=2008-03-21",
                           "DeviceID=3|Small_Simplex_Mono=|Large_Duplex_Color=|Total=0|"
                           "Period=2008-03-20",
                           "DeviceID=3|Small_Simplex_Mono=|Large_Duplex_Color=|Total=0|"
                           "Period=2008-03-21"}));

    // A chart adds the devices up per period.
    p.chart = true;
    EXPECT_EQ(run(p, {"Small_Simplex_Mono", "Large_Duplex_Color", "Total", "Period"}),
              (QStringList{"Small_Simplex_Mono=11|Large_Duplex_Color=8|Total=46|Period=2008-03-20",
                           "Small_Simplex_Mono=44|Large_Duplex_Color=32|Total=184|"
                           "Period=2008-03-21"}));
}
