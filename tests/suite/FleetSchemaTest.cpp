#include "suite/FleetSchema.h"
#include "suite/SqlEngine.h"
#include "suite/Sqlite.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
class FleetSchemaTest : public ::testing::Test {
protected:
    void SetUp() override {
        db = std::make_unique<SqliteConnection>(dir.filePath(QStringLiteral("schema.db")));
        FleetSchema::create(*db);
    }
    QString scalar(const char* sql) { return db->scalar(QString::fromLatin1(sql)); }

    QTemporaryDir dir;
    std::unique_ptr<SqliteConnection> db;
};

TEST_F(FleetSchemaTest, YearTablesHoldEveryOffsetOfTheirPeriod) {
    struct Case {
        const char* table;
        const char* range;
    };
    for (const Case& c : {Case{"YearHours", "0-8783:8784"}, Case{"YearDays", "0-365:366"},
                          Case{"YearWeeks", "1-53:53"}, Case{"YearMonths", "1-12:12"}}) {
        const QString sql = QStringLiteral("SELECT min(DateNum) || '-' || max(DateNum) || ':' || "
                                           "count(*) FROM %1")
                                .arg(QString::fromLatin1(c.table));
        EXPECT_EQ(db->scalar(sql).toStdString(), c.range) << c.table;
    }
}

TEST_F(FleetSchemaTest, SchedulerAssignsGlobalIdsAndKeepsQuotedTexts) {
    // The scheduler's own statement form, double-quoted texts included.
    db->exec(QStringLiteral(
        "INSERT INTO Scheduler(ServiceName, ScheduleID, StartTime, IntervalType, IntervalValue, "
        "StopTime, CommandToSend, Tag) VALUES(\"RG\", 1, 100, 2, 1, 0, \"&apos;x&quot;\", "
        "\"t\");"));
    db->exec(QStringLiteral(
        "INSERT INTO Scheduler(ServiceName, ScheduleID, StartTime, IntervalType, IntervalValue, "
        "StopTime, CommandToSend, Tag) VALUES(\"RG\", 1, 200, 2, 1, 0, \"c\", \"t\");"));
    EXPECT_EQ(scalar("SELECT group_concat(GlobalID) FROM Scheduler"), QStringLiteral("1,2"));
    EXPECT_EQ(scalar("SELECT CommandToSend FROM Scheduler WHERE GlobalID = 1"),
              QStringLiteral("&apos;x&quot;"));
}

TEST_F(FleetSchemaTest, ReferenceDataForReportsAndMail) {
    EXPECT_EQ(scalar("SELECT Name FROM DevicePropertyDescr WHERE PropertyID = 47"),
              QStringLiteral("zepHrDevCountTable"));
    EXPECT_EQ(scalar("SELECT group_concat(Name) FROM (SELECT Name FROM PropertyColumnDescr "
                     "WHERE R_PropertyID = 47 ORDER BY ColumnID)"),
              QStringLiteral("zepHrDevCountJobType,zepHrDevCountMediaSize,zepHrDevCountDuplex,"
                             "zepHrDevCountColor,zepHrDevCountValue"));
    EXPECT_EQ(scalar("SELECT Name FROM PropertyColumnDescr WHERE R_PropertyID = 8"),
              QStringLiteral("Value"));
    EXPECT_EQ(scalar("SELECT group_concat(AlertTrendGroup) FROM (SELECT DISTINCT "
                     "AlertTrendGroup FROM AlertTrendGroup ORDER BY 1)"),
              QStringLiteral("0,1,2,3"));
    EXPECT_EQ(scalar("SELECT AlertTrendGroup FROM AlertTrendGroup WHERE AlertValue = "
                     "'fieldService'"),
              QStringLiteral("3"));
    EXPECT_EQ(scalar("SELECT count(*) FROM Settings WHERE Name IN ('SMTPServerName', "
                     "'SMTPServerPort', 'SMTPRequiresAuthentication', 'SMTPServerLogin', "
                     "'SMTPServerPassword', 'SMTPServerConnectionTimeout', 'ReplyAddress')"),
              QStringLiteral("7"));
    EXPECT_TRUE(FleetSchema::exists(*db));
}
TEST_F(FleetSchemaTest, AnOlderFileGetsTheIndexesItLacksAtOpenWithStatistics) {
    db->exec(QStringLiteral(
        "INSERT INTO DevicePropertyHistory (R_DeviceID, R_PropertyID, R_ColumnID, RowIndex, "
        "TimeValue, Value) VALUES (1, 47, 7, 1, 100, '5'), (2, 47, 7, 1, 100, '6');"
        "DROP INDEX idxHistoryTime; DELETE FROM sqlite_stat1;"));
    EXPECT_EQ(FleetSchema::missingIndexes(*db), 1);
    db.reset(); // as a file written before the index existed, closed

    const QString path = dir.filePath(QStringLiteral("schema.db"));
    SqlEngine(path).prepareDatabase();
    db = std::make_unique<SqliteConnection>(path);
    EXPECT_EQ(scalar("SELECT count(*) FROM sqlite_master WHERE name = 'idxHistoryTime'"),
              QStringLiteral("1"));
    EXPECT_EQ(scalar("SELECT count(*) > 0 FROM sqlite_stat1 WHERE idx = 'idxHistoryTime'"),
              QStringLiteral("1"));
    EXPECT_EQ(scalar("SELECT group_concat(Value) FROM DevicePropertyHistory"),
              QStringLiteral("5,6"));
    // Nothing left to add: the next open neither builds nor analyses again.
    EXPECT_EQ(FleetSchema::missingIndexes(*db), 0);
    EXPECT_EQ(FleetSchema::createIndexes(*db), 0);
}

TEST_F(FleetSchemaTest, ANewFileGetsLargePagesAndAFileWithPagesKeepsItsOwn) {
    EXPECT_EQ(scalar("PRAGMA page_size"), QStringLiteral("16384"));

    // A file that already holds pages cannot change their size without a rewrite; the
    // schema goes in with the size the file has.
    SqliteConnection older(dir.filePath(QStringLiteral("older.db")));
    older.exec(QStringLiteral("PRAGMA page_size = 4096; CREATE TABLE Other (a)"));
    FleetSchema::create(older);
    EXPECT_EQ(older.scalar(QStringLiteral("PRAGMA page_size")), QStringLiteral("4096"));
    EXPECT_TRUE(FleetSchema::exists(older));
}
} // namespace
