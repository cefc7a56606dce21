#include "suite/FleetGenerator.h"
#include "suite/DeviceProperties.h"
#include "suite/Sqlite.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {
constexpr qint64 kEnd = 1796601600; // a midnight, UTC

class FleetGeneratorTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = std::make_unique<QTemporaryDir>();
        s_stats = generateFleet(path("fleet.db"), {12, 6, 7, kEnd});
        s_db = std::make_unique<SqliteConnection>(path("fleet.db"), false);
    }
    static void TearDownTestSuite() {
        s_db.reset();
        s_dir.reset();
    }
    static QString path(const char* name) { return s_dir->filePath(QString::fromLatin1(name)); }
    static qint64 count(const char* sql) { return s_db->scalarInt(QString::fromLatin1(sql)); }

    static inline std::unique_ptr<QTemporaryDir> s_dir;
    static inline std::unique_ptr<SqliteConnection> s_db;
    static inline FleetStats s_stats;
};

TEST_F(FleetGeneratorTest, CountersNeverDecreaseExceptAtAReset) {
    // Every decrease of a counter row must fall on a sample where the whole table of that
    // device restarted (every row holds at most one hour of pages).
    SqliteStatement decreases(*s_db, QStringLiteral(R"SQL(
        SELECT R_DeviceID, TimeValue FROM (
            SELECT R_DeviceID, RowIndex, TimeValue, Value + 0 AS v,
                   lag(Value + 0) OVER (PARTITION BY R_DeviceID, RowIndex ORDER BY TimeValue) AS p
            FROM DevicePropertyHistory WHERE R_PropertyID = 47 AND R_ColumnID = 7)
        WHERE v < p GROUP BY R_DeviceID, TimeValue)SQL"));
    int resets = 0;
    while (decreases.step()) {
        ++resets;
        SqliteStatement largest(
            *s_db,
            QStringLiteral(
                "SELECT max(Value + 0) FROM DevicePropertyHistory WHERE R_PropertyID = 47 AND "
                "R_ColumnID = 7 AND R_DeviceID = ? AND TimeValue = ?"));
        largest.bind(1, decreases.integer(0)).bind(2, decreases.integer(1));
        ASSERT_TRUE(largest.step());
        EXPECT_LT(largest.integer(0), 2000)
            << "device " << decreases.integer(0) << " at " << decreases.integer(1);
    }
    EXPECT_GE(resets, 1) << "the fleet holds at least the planned reset of device 1";
    EXPECT_EQ(resets, s_stats.resets);
}

TEST_F(FleetGeneratorTest, EverySampleHoldsTheWholeCounterTable) {
    // The usage queries sum the rows of one sample; a sample missing a row would look like a
    // drop in usage.
    EXPECT_EQ(0, count(R"SQL(
        SELECT count(*) FROM (
            SELECT h.R_DeviceID, h.TimeValue, count(*) AS cells FROM DevicePropertyHistory h
            WHERE h.R_PropertyID = 47 GROUP BY h.R_DeviceID, h.TimeValue) s
        JOIN (SELECT R_DeviceID, count(*) AS cells FROM DevicePropertyValues
              WHERE R_PropertyID = 47 GROUP BY R_DeviceID) c ON c.R_DeviceID = s.R_DeviceID
        WHERE s.cells <> c.cells)SQL"));
    EXPECT_EQ(s_stats.counterSamples,
              count("SELECT count(*) FROM valuetimestamps v JOIN DevicePropertyHistory h "
                    "ON h.ValueID = v.R_ValueID WHERE h.R_PropertyID = 47"));
}

TEST_F(FleetGeneratorTest, CurrentCountersEqualTheLastSample) {
    EXPECT_EQ(0, count(R"SQL(
        SELECT count(*) FROM DevicePropertyValues v
        WHERE v.R_PropertyID = 47 AND v.R_ColumnID = 7 AND v.Value <> (
            SELECT h.Value FROM DevicePropertyHistory h
            WHERE h.R_DeviceID = v.R_DeviceID AND h.R_PropertyID = 47 AND h.R_ColumnID = 7
              AND h.RowIndex = v.RowIndex ORDER BY h.TimeValue DESC LIMIT 1))SQL"));
}

TEST_F(FleetGeneratorTest, EveryDeviceHasThePropertiesTheReportsRead) {
    const int devices = int(count("SELECT count(*) FROM Devices"));
    ASSERT_EQ(devices, 12);
    for (int property : {1, 3, 4, 5, 7, 8, 9, 10, 28, 36, 37, 38}) {
        SqliteStatement q(
            *s_db, QStringLiteral("SELECT count(DISTINCT R_DeviceID) FROM DevicePropertyValues "
                                  "WHERE R_PropertyID = ? AND R_ColumnID = 0 AND Value <> ''"));
        q.bind(1, property);
        ASSERT_TRUE(q.step());
        EXPECT_EQ(q.integer(0), devices) << "property " << property;
    }
    // Table properties: every supply row and counter row carries all of its columns.
    EXPECT_EQ(devices, count("SELECT count(DISTINCT R_DeviceID) FROM DevicePropertyValues "
                             "WHERE R_PropertyID = 22"));
    EXPECT_EQ(0, count("SELECT count(*) FROM (SELECT R_DeviceID, RowIndex FROM "
                       "DevicePropertyValues WHERE R_PropertyID = 22 GROUP BY 1, 2 "
                       "HAVING count(*) <> 5)"));
    EXPECT_EQ(0, count("SELECT count(*) FROM (SELECT R_DeviceID, RowIndex FROM "
                       "DevicePropertyValues WHERE R_PropertyID = 47 GROUP BY 1, 2 HAVING "
                       "group_concat(R_ColumnID) <> '2,3,5,6,7')"));
    EXPECT_EQ(devices, count("SELECT count(DISTINCT R_DeviceID) FROM DevicePropertyHistory "
                             "WHERE R_PropertyID = 47"));
    // Every stored cell has a described property and column (the info summary joins them).
    EXPECT_EQ(0, count("SELECT count(*) FROM DevicePropertyValues v LEFT JOIN "
                       "PropertyColumnDescr c ON c.R_PropertyID = v.R_PropertyID AND "
                       "c.ColumnID = v.R_ColumnID WHERE c.Name IS NULL"));
}

TEST_F(FleetGeneratorTest, DiscoveriesHoldNewFoundAndLostDevices) {
    EXPECT_EQ(6, count("SELECT count(*) FROM Discoveries"));
    EXPECT_GE(count("SELECT count(*) FROM DiscoveryResults WHERE IsNew = 1"), 1);
    EXPECT_GE(count("SELECT count(*) FROM DiscoveryResults WHERE IsNew = 0"), 1);
    // Lost: seen in one discovery, missing from the next one.
    EXPECT_GE(count(R"SQL(
        SELECT count(*) FROM DiscoveryResults r
        JOIN Discoveries d ON d.DiscoveryID = r.R_DiscoveryID
        JOIN Discoveries n ON n.DiscoveryID = d.DiscoveryID + 1
        WHERE NOT EXISTS (SELECT 1 FROM DiscoveryResults x
                          WHERE x.R_DiscoveryID = n.DiscoveryID AND x.DeviceID = r.DeviceID))SQL"),
              1);
    // An address change: Found with the new address and Lost with the old one.
    EXPECT_GE(count("SELECT count(*) FROM (SELECT DeviceID FROM DiscoveryResults "
                    "GROUP BY DeviceID HAVING count(DISTINCT IP) > 1)"),
              1);
    // A device is new at most once.
    EXPECT_EQ(0, count("SELECT count(*) FROM (SELECT DeviceID FROM DiscoveryResults "
                       "WHERE IsNew = 1 GROUP BY DeviceID HAVING count(*) > 1)"));
}

TEST_F(FleetGeneratorTest, SomeDeviceRunsOutOfTonerAndSaysSo) {
    // The toner report lists such devices; its error state agrees with its supply level and
    // its active alerts.
    EXPECT_GE(count("SELECT count(*) FROM DevicePropertyValues WHERE R_PropertyID = 36 "
                    "AND Value = 'noToner'"),
              1);
    EXPECT_EQ(0, count(R"SQL(
        SELECT count(*) FROM DevicePropertyValues e
        WHERE e.R_PropertyID = 36 AND e.Value = 'noToner' AND NOT EXISTS (
          SELECT 1 FROM DevicePropertyValues t
          JOIN DevicePropertyValues l ON l.R_DeviceID = t.R_DeviceID AND l.R_PropertyID = 22
            AND l.RowIndex = t.RowIndex AND l.R_ColumnID = 5
          WHERE t.R_DeviceID = e.R_DeviceID AND t.R_PropertyID = 22 AND t.R_ColumnID = 1
            AND t.Value = 'toner' AND l.Value + 0 = 0))SQL"));
    EXPECT_EQ(0, count(R"SQL(
        SELECT count(*) FROM DevicePropertyValues e
        WHERE e.R_PropertyID = 36 AND e.Value = 'noToner' AND NOT EXISTS (
          SELECT 1 FROM DevicePropertyValues a WHERE a.R_DeviceID = e.R_DeviceID
            AND a.R_PropertyID = 30 AND a.R_ColumnID = 1 AND a.Value = 'markerTonerEmpty'))SQL"));
}

TEST_F(FleetGeneratorTest, AlertsJobsAndUpgradesAreConsistent) {
    // Every stored alert row has its six cells, and its time lies in the generated range.
    EXPECT_EQ(0, count("SELECT count(*) FROM (SELECT R_DeviceID, TimeValue, RowIndex FROM "
                       "DevicePropertyHistory WHERE R_PropertyID = 30 GROUP BY 1, 2, 3 "
                       "HAVING count(*) <> 6)"));
    EXPECT_GE(count("SELECT count(*) FROM DevicePropertyHistory WHERE R_PropertyID = 30 AND "
                    "R_ColumnID = 1"),
              1);
    EXPECT_EQ(0, count("SELECT count(*) FROM DevicePropertyHistory WHERE R_PropertyID = 30 "
                       "AND R_ColumnID = 6 AND (Value + 0 <= 1796083200 - 3600 OR Value + 0 > "
                       "TimeValue)"));
    // Jobs reference known users and devices and fall inside the range.
    EXPECT_GE(count("SELECT count(*) FROM JobLog"), 100);
    EXPECT_EQ(0, count("SELECT count(*) FROM JobLog j LEFT JOIN Users u ON u.UserID = j.R_UserID "
                       "LEFT JOIN Devices d ON d.DeviceID = j.R_DeviceID "
                       "WHERE u.UserID IS NULL OR d.DeviceID IS NULL OR j.JobTime >= 1796601600"));
    // The current firmware is the newest upgrade's version.
    EXPECT_EQ(0, count(R"SQL(
        SELECT count(*) FROM UpgradeHistory u JOIN DevicePropertyValues v
          ON v.R_DeviceID = u.R_DeviceID AND v.R_PropertyID = CASE u.FwType WHEN 'Engine'
             THEN 37 ELSE 38 END
        WHERE u.UpgradeTime = (SELECT max(UpgradeTime) FROM UpgradeHistory x
                               WHERE x.R_DeviceID = u.R_DeviceID AND x.FwType = u.FwType)
          AND v.Value <> u.FwVersionNew)SQL"));
}

TEST_F(FleetGeneratorTest, SameSeedGivesTheSameFleetAndAnotherSeedAnother) {
    const auto digest = [](const QString& file) {
        SqliteConnection db(file, false);
        return db.scalar(QStringLiteral(
            "SELECT sum(ValueID * length(Value)) || ':' || count(*) || ':' || "
            "(SELECT group_concat(Value) FROM DevicePropertyValues WHERE R_PropertyID = 10) "
            "FROM DevicePropertyHistory"));
    };
    generateFleet(path("again.db"), {12, 6, 7, kEnd});
    generateFleet(path("other.db"), {12, 6, 8, kEnd});
    EXPECT_EQ(digest(path("fleet.db")), digest(path("again.db")));
    EXPECT_NE(digest(path("fleet.db")), digest(path("other.db")));
}

TEST_F(FleetGeneratorTest, RefusesAnExistingFileAndEmptyFleets) {
    EXPECT_THROW(generateFleet(path("fleet.db"), {12, 6, 7, kEnd}), std::invalid_argument);
    EXPECT_THROW(generateFleet(path("none.db"), {0, 6, 7, kEnd}), std::invalid_argument);
}
} // namespace
