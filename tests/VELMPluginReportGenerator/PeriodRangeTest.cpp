#include "VELMPluginReportGenerator/report/PeriodRange.h"
#include "../scheduler/QtPrinters.h"
#include "VELMPluginReportGenerator/registry/ReportCodes.h"
#include "VELMPluginReportGenerator/registry/ReportTypes.h"
#include "VELMPluginReportGenerator/report/ReportSettings.h"

#include <gtest/gtest.h>

using namespace reportRegistry;

namespace {

// Local times of the test zone (Europe/Berlin).
qint64 local(int y, int m, int d, int h = 0, int min = 0) {
    return QDateTime(QDate(y, m, d), QTime(h, min)).toSecsSinceEpoch();
}

PeriodRange days(QDate first, QDate last) {
    return {local(first.year(), first.month(), first.day()),
            local(last.year(), last.month(), last.day(), 23, 59)};
}

const QDateTime wednesday(QDate(2008, 1, 16), QTime(10, 30));

ReportDefinition definition(std::initializer_list<std::pair<QString, QString>> parameters) {
    ReportDefinition result;
    for (const auto& [name, value] : parameters)
        result.parameters.insert(name, value);
    return result;
}

} // namespace

TEST(PeriodRange, WeeksStartOnMondayAndEndAtTheLastMinuteOfSunday) {
    EXPECT_EQ(periodRange(P_LAST_WEEK, wednesday), days({2008, 1, 7}, {2008, 1, 13}));
    EXPECT_EQ(periodRange(P_LAST_TWO_WEEK, wednesday), days({2007, 12, 31}, {2008, 1, 13}));
    EXPECT_EQ(periodRange(P_THIS_WEEK, wednesday), days({2008, 1, 14}, {2008, 1, 20}));
    // On a Monday and on a Sunday the week is still the one that holds the day.
    EXPECT_EQ(periodRange(P_THIS_WEEK, QDateTime(QDate(2008, 1, 14), QTime(0, 0))),
              days({2008, 1, 14}, {2008, 1, 20}));
    EXPECT_EQ(periodRange(P_LAST_WEEK, QDateTime(QDate(2008, 1, 20), QTime(23, 59, 59))),
              days({2008, 1, 7}, {2008, 1, 13}));
}

TEST(PeriodRange, MonthsAndYearsCrossTheYearBoundary) {
    EXPECT_EQ(periodRange(P_LAST_MONTH, wednesday), days({2007, 12, 1}, {2007, 12, 31}));
    EXPECT_EQ(periodRange(P_LAST_TWO_MONTH, wednesday), days({2007, 11, 1}, {2007, 12, 31}));
    EXPECT_EQ(periodRange(P_LAST_SIX_MONTH, wednesday), days({2007, 7, 1}, {2007, 12, 31}));
    EXPECT_EQ(periodRange(P_THIS_MONTH, wednesday), days({2008, 1, 1}, {2008, 1, 31}));
    EXPECT_EQ(periodRange(P_THIS_MONTH, QDateTime(QDate(2008, 2, 3), QTime(1, 0))),
              days({2008, 2, 1}, {2008, 2, 29}));
    EXPECT_EQ(periodRange(P_LAST_YEAR, wednesday), days({2007, 1, 1}, {2007, 12, 31}));
    EXPECT_EQ(periodRange(P_THIS_YEAR, wednesday), days({2008, 1, 1}, {2008, 12, 31}));
}

TEST(PeriodRange, ARangeAcrossTheSpringChangeIsAnHourShort) {
    // Berlin moved its clocks forward on 2008-03-30: March 2008 lasts 31 days less one hour.
    const PeriodRange march = periodRange(P_LAST_MONTH, QDateTime(QDate(2008, 4, 2), QTime(9, 0)));
    EXPECT_EQ(march, days({2008, 3, 1}, {2008, 3, 31}));
    EXPECT_EQ(march.end - march.start, 31 * 86400 - 60 - 3600);
    // The autumn change makes the last week of October an hour longer.
    const PeriodRange week = periodRange(P_LAST_WEEK, QDateTime(QDate(2008, 10, 29), QTime(9, 0)));
    EXPECT_EQ(week.end - week.start, 7 * 86400 - 60 + 3600);
}

TEST(ReportSettings, CustomPeriodsTakeFromAndToAndSummariesTheirIntervalFromThePeriod) {
    const auto custom = ReportSettings::read(definition({{"ReportType", "RT_DEVICE_LIST"},
                                                         {"From", "12x"},
                                                         {"To", "1200"},
                                                         {"IsSummary", "Yes"},
                                                         {"Interval", "I_MONTH"}}),
                                             wednesday);
    EXPECT_EQ(custom.type, RT_DEVICE_LIST);
    EXPECT_EQ(custom.period, P_CUSTOM);
    EXPECT_EQ(custom.rangeStart, 0);
    EXPECT_EQ(custom.rangeEnd, 1200);
    EXPECT_EQ(custom.interval, I_HOUR);
    EXPECT_EQ(custom.creationTime, wednesday.toSecsSinceEpoch());

    const auto year = ReportSettings::read(
        definition({{"Period", "P_THIS_YEAR"}, {"IsSummary", "Yes"}, {"ChartType", "CT_PIE"}}),
        wednesday);
    EXPECT_EQ(year.interval, I_MONTH);
    EXPECT_EQ(year.chartType, chartType::pie);
    EXPECT_EQ(year.rangeStart, local(2008, 1, 1));

    const auto plain = ReportSettings::read(definition({{"ReportType", " RT_DEVICE_LIST"},
                                                        {"Period", "P_LAST_WEEK"},
                                                        {"IsSummary", "yes"},
                                                        {"Interval", "I_DAY"},
                                                        {"ChartType", "Pie"}}),
                                            wednesday);
    EXPECT_FALSE(plain.type.has_value());
    EXPECT_FALSE(plain.summary);
    EXPECT_EQ(plain.interval, I_DAY);
    EXPECT_EQ(plain.chartType, chartType::bar);
}
