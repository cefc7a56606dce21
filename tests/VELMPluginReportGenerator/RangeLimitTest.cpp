#include "ReportGeneratorFixture.h"

#include "VELMPluginReportGenerator/registry/ReportCodes.h"
#include "VELMPluginReportGenerator/registry/ReportTypes.h"
#include "VELMPluginReportGenerator/report/RangeLimit.h"
#include "VELMPluginReportGenerator/report/ReportResult.h"

#include <gtest/gtest.h>
#include <limits>

using namespace reportRegistry;

namespace {

constexpr qint64 hour = 3600;
constexpr qint64 day = 24 * hour;
constexpr qint64 century = 36525 * day;

ReportSettings counterReport(qint64 start, qint64 end, int interval) {
    ReportSettings settings;
    settings.type = RT_USAGE_TOTAL_PAGES;
    settings.period = P_CUSTOM;
    settings.rangeStart = start;
    settings.rangeEnd = end;
    settings.interval = interval;
    return settings;
}

} // namespace

TEST(RangeLimit, CountsPeriodsWithoutOverflowAtTheEndsOfTheNumberRange) {
    constexpr qint64 lowest = std::numeric_limits<qint64>::min();
    constexpr qint64 highest = std::numeric_limits<qint64>::max();
    EXPECT_EQ(rangeLimit::periodsOfRange(counterReport(0, 0, 0)), 1u);
    EXPECT_EQ(rangeLimit::periodsOfRange(counterReport(0, hour, 0)), 2u);
    EXPECT_EQ(rangeLimit::periodsOfRange(counterReport(hour, 0, 0)), 0u);
    EXPECT_EQ(rangeLimit::periodsOfRange(counterReport(highest, lowest, 0)), 0u);
    EXPECT_EQ(rangeLimit::periodsOfRange(counterReport(lowest, highest, 0)),
              std::numeric_limits<quint64>::max() / 3600 + 1);
    EXPECT_FALSE(rangeLimit::refusal(counterReport(lowest, highest, 3)).isEmpty());
    EXPECT_FALSE(rangeLimit::refusal(counterReport(0, highest, 1)).isEmpty());
}

TEST(RangeLimit, RefusesCenturiesOfHoursButKeepsWhatReportsAskFor) {
    const qint64 start = 1199142000; // 2008-01-01
    EXPECT_TRUE(rangeLimit::refusal(counterReport(start, start + 366 * day, 0)).isEmpty());
    EXPECT_TRUE(rangeLimit::refusal(counterReport(start, start + century, 1)).isEmpty());
    EXPECT_TRUE(rangeLimit::refusal(counterReport(start, start + 10 * century, 3)).isEmpty());
    const QString refusal = rangeLimit::refusal(counterReport(start, start + century, 0));
    EXPECT_TRUE(refusal.contains(QLatin1String("876601 periods"))) << refusal.toStdString();
    // Exactly at the bound still runs.
    const qint64 lastAllowed = start + qint64(rangeLimit::maxPeriods - 1) * hour;
    EXPECT_TRUE(rangeLimit::refusal(counterReport(start, lastAllowed, 0)).isEmpty());
    EXPECT_FALSE(rangeLimit::refusal(counterReport(start, lastAllowed + hour, 0)).isEmpty());
}

TEST(RangeLimit, OnlyReportsThatTabulateByPeriodAreBounded) {
    ReportSettings history = counterReport(0, 9000000000000000, 0);
    history.type = RT_ALERT_HISTORY;
    EXPECT_TRUE(rangeLimit::refusal(history).isEmpty());
    ReportSettings trend = history;
    trend.type = RT_ALERT_TREND;
    EXPECT_FALSE(rangeLimit::refusal(trend).isEmpty());
    ReportSettings unknown = history;
    unknown.type.reset();
    EXPECT_TRUE(rangeLimit::refusal(unknown).isEmpty());
}

TEST_F(ReportGeneratorTest, ACenturyOfHoursFailsWith109AndSendsNoScript) {
    peers.onDatabase(&ScriptedReportPeers::oneRowPerSelect);
    const ReportSelection devices{{"1", "2"}, {}, {}, {}, {}};
    const int refused = start(reportDefinition({{"ReportType", "RT_USAGE_TOTAL_PAGES"},
                                                {"Period", "P_CUSTOM"},
                                                {"From", "0"},
                                                {"To", QString::number(century)},
                                                {"Interval", "I_HOUR"}},
                                               devices));
    const auto answer = waitForEnd(refused);
    EXPECT_EQ(answer->result(), ReportResult::GenerationFailed);
    EXPECT_EQ(answer->details(), ReportResult::generationFailedText);
    EXPECT_TRUE(peers.queries().isEmpty()) << peers.queries().join("\n").toStdString();

    // The same century by month is sent.
    const int monthly = start(reportDefinition({{"ReportType", "RT_USAGE_TOTAL_PAGES"},
                                                {"Period", "P_CUSTOM"},
                                                {"From", "0"},
                                                {"To", QString::number(century)},
                                                {"Interval", "I_MONTH"}},
                                               devices));
    waitForEnd(monthly);
    EXPECT_FALSE(peers.queries().isEmpty());
}
