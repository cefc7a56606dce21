#include "VXNServiceFramework/time/SystemZone.h"

#include "ZoneFile.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDeadlineTimer>
#include <QThread>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

constexpr const char* kSummer = "2026-07-01T12:00:00Z";
constexpr const char* kWinter = "2026-01-15T12:00:00Z";
constexpr int kBerlinSummer = 2 * 3600;
constexpr int kBerlinWinter = 3600;
constexpr int kNewYorkSummer = -4 * 3600;
constexpr int kNewYorkWinter = -5 * 3600;

bool eventually(const std::function<bool()>& condition) {
    const QDeadlineTimer deadline(5000);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(5);
    }
    return true;
}

class SystemZoneTest : public testing::Test {
protected:
    UnsetTz unsetTz;
    ZoneFile zoneFile{"Europe/Berlin"};
};

TEST_F(SystemZoneTest, ConvertsInTheZoneOfTheFileAndFollowsItsReplacement) {
    {
        SystemZone zone(zoneFile.path(), 0ms);
        ASSERT_TRUE(zone.isPinned());
        EXPECT_EQ(localOffsetAt(kSummer), kBerlinSummer);
        EXPECT_EQ(localOffsetAt(kWinter), kBerlinWinter);
        EXPECT_FALSE(zone.reloadIfChanged());

        zoneFile.switchTo("America/New_York");
        EXPECT_TRUE(zone.reloadIfChanged());
        EXPECT_EQ(localOffsetAt(kSummer), kNewYorkSummer);
        EXPECT_EQ(localOffsetAt(kWinter), kNewYorkWinter);
        // Wall time to instant goes through mktime(), which keeps its own view of the zone.
        EXPECT_EQ(QDateTime(QDate(2026, 7, 1), QTime(8, 0), Qt::LocalTime).toSecsSinceEpoch(),
                  QDateTime::fromString(QStringLiteral("2026-07-01T12:00:00Z"), Qt::ISODate)
                      .toSecsSinceEpoch());
        EXPECT_FALSE(zone.reloadIfChanged());

        // Back again: a second change is followed as well as the first.
        zoneFile.switchTo("Europe/Berlin");
        EXPECT_TRUE(zone.reloadIfChanged());
        EXPECT_EQ(localOffsetAt(kSummer), kBerlinSummer);
        EXPECT_EQ(qgetenv("TZ"), ':' + QFile::encodeName(zoneFile.path()));
    }
    EXPECT_FALSE(qEnvironmentVariableIsSet("TZ"));
}

TEST_F(SystemZoneTest, FollowerNoticesAChangeByItself) {
    SystemZone zone(zoneFile.path(), 10ms);
    EXPECT_EQ(localOffsetAt(kSummer), kBerlinSummer);
    zoneFile.switchTo("Asia/Tokyo");
    EXPECT_TRUE(eventually([] { return localOffsetAt(kSummer) == 9 * 3600; }));
}

TEST_F(SystemZoneTest, MissingFileMeansUtcUntilItAppears) {
    zoneFile.remove();
    SystemZone zone(zoneFile.path(), 0ms);
    EXPECT_EQ(localOffsetAt(kSummer), 0);
    zoneFile.switchTo("America/New_York");
    EXPECT_TRUE(zone.reloadIfChanged());
    EXPECT_EQ(localOffsetAt(kSummer), kNewYorkSummer);
    zoneFile.remove();
    EXPECT_TRUE(zone.reloadIfChanged());
    EXPECT_EQ(localOffsetAt(kSummer), 0);
}

TEST_F(SystemZoneTest, LeavesAGivenTzAlone) {
    // The C library never looks at the file when TZ names the zone, so neither do we.
    qputenv("TZ", "Asia/Tokyo");
    {
        SystemZone zone(zoneFile.path(), 10ms);
        EXPECT_FALSE(zone.isPinned());
        EXPECT_EQ(localOffsetAt(kSummer), 9 * 3600);
        zoneFile.switchTo("America/New_York");
        EXPECT_FALSE(zone.reloadIfChanged());
        EXPECT_EQ(localOffsetAt(kSummer), 9 * 3600);
    }
    EXPECT_EQ(qgetenv("TZ"), QByteArray("Asia/Tokyo"));
}

TEST_F(SystemZoneTest, ConversionsDuringReloadsSeeOneZoneOrTheOther) {
    SystemZone zone(zoneFile.path(), 0ms);
    std::atomic<bool> stop{false};
    std::atomic<int> strays{0};
    std::atomic<int> conversions{0};
    const QDateTime noonUtc = QDateTime::fromString(QString::fromLatin1(kSummer), Qt::ISODate);
    std::vector<std::jthread> converters;
    for (int i = 0; i < 3; ++i) {
        converters.emplace_back([&] {
            while (!stop) {
                const int offset = localOffsetAt(kSummer);
                const QDateTime wall = noonUtc.addSecs(offset);
                const qint64 drift =
                    QDateTime(wall.date(), wall.time(), Qt::LocalTime).toSecsSinceEpoch() -
                    noonUtc.toSecsSinceEpoch();
                // The way back may straddle a reload and land in the other zone.
                const bool landed = drift == 0 || std::abs(drift) == kBerlinSummer - kNewYorkSummer;
                if ((offset != kBerlinSummer && offset != kNewYorkSummer) || !landed)
                    ++strays;
                ++conversions;
            }
        });
    }
    for (int i = 0; i < 200; ++i) {
        zoneFile.switchTo(i % 2 == 0 ? "America/New_York" : "Europe/Berlin");
        ASSERT_TRUE(zone.reloadIfChanged());
    }
    ASSERT_TRUE(eventually([&] { return conversions > 1000; }));
    stop = true;
    converters.clear();
    EXPECT_EQ(strays, 0);
    EXPECT_EQ(localOffsetAt(kSummer), kBerlinSummer);
}

} // namespace
