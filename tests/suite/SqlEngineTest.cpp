#include "suite/SqlEngine.h"
#include "ZoneForTest.h"
#include "suite/Sqlite.h"

#include <QTemporaryDir>
#include <ctime>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {
class SqlEngineTest : public ::testing::Test {
protected:
    void SetUp() override { engine.prepareDatabase(); }

    QTemporaryDir dir;
    SqlEngine engine{dir.filePath(QStringLiteral("db.sqlite")), 20000};
};

TEST_F(SqlEngineTest, StatementsShareOneConnectionInOrder) {
    const SqlOutcome out = engine.run({
        QStringLiteral("CREATE TEMP TABLE t_1_ (id INTEGER PRIMARY KEY, v TEXT, n)"),
        QStringLiteral("INSERT INTO t_1_ (v, n) VALUES ('a\"<b', NULL)"),
        QStringLiteral("INSERT INTO t_1_ (v, n) VALUES ('c', 3)"),
        QStringLiteral("SELECT id, v, n FROM t_1_ ORDER BY id"),
        QStringLiteral("SELECT id FROM t_1_ WHERE 0"),
        QStringLiteral("DROP TABLE t_1_"),
    });
    ASSERT_EQ(out.code, 0) << out.message.toStdString();
    ASSERT_EQ(out.resultSets.size(), 6);
    EXPECT_EQ(out.resultSets[1].lastRowId, 1);
    EXPECT_EQ(out.resultSets[2].lastRowId, 2);
    const auto& rows = out.resultSets[3].rows;
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].value(QStringLiteral("v")), QStringLiteral("a\"<b"));
    EXPECT_TRUE(rows[0].contains(QStringLiteral("n"))) << "NULL is an empty column, not a gap";
    EXPECT_EQ(rows[1].value(QStringLiteral("n")), QStringLiteral("3"));
    // Queries give no row id; other statements always do, so an empty query result stands out.
    EXPECT_EQ(out.resultSets[3].lastRowId, -1);
    EXPECT_EQ(out.resultSets[4].lastRowId, -1);
    EXPECT_TRUE(out.resultSets[4].rows.isEmpty());
    EXPECT_NE(out.resultSets[0].lastRowId, -1);
    EXPECT_NE(out.resultSets[5].lastRowId, -1);
}

TEST_F(SqlEngineTest, ValuesReadAsSQLitesOwnText) {
    // Integers are turned into text outside SQLite; every kind must still read as SQLite's
    // own conversion of the value.
    const SqlOutcome out = engine.run({QStringLiteral(
        "SELECT v, CAST(v AS TEXT) AS t, typeof(v) AS k FROM (SELECT 0 AS v UNION ALL "
        "SELECT -7 UNION ALL SELECT 9223372036854775807 UNION ALL SELECT -9223372036854775808 "
        "UNION ALL SELECT 1.5 UNION ALL SELECT 1e300 UNION ALL SELECT 'x''y' UNION ALL SELECT "
        "x'4142' UNION ALL SELECT 2147483648 * 3)")});
    ASSERT_EQ(out.code, 0) << out.message.toStdString();
    const auto& rows = out.resultSets.value(0).rows;
    ASSERT_EQ(rows.size(), 9);
    for (const DBSRow& row : rows)
        EXPECT_EQ(row.value(QStringLiteral("v")), row.value(QStringLiteral("t")))
            << row.value(QStringLiteral("k")).toStdString();
    EXPECT_EQ(rows[3].value(QStringLiteral("v")), QStringLiteral("-9223372036854775808"));
}

TEST_F(SqlEngineTest, AnErrorNamesTheStatementAndSQLitesMessage) {
    struct Case {
        QStringList statements;
        int failed;
        const char* text;
    };
    const Case cases[] = {
        {{QStringLiteral("SELECT 1"), QStringLiteral("SELECT * FROM Nope"),
          QStringLiteral("SELECT 2")},
         1,
         "Query 2 of 3 failed: no such table: Nope"},
        {{QStringLiteral("SELEC 1")}, 0, "near \"SELEC\": syntax error (at character 1)"},
        {{QStringLiteral("SELECT 1"), QStringLiteral("INSERT INTO Groups (GroupID, Name) "
                                                     "VALUES (1, NULL)")},
         1,
         "NOT NULL constraint failed: Groups.Name"},
    };
    for (const Case& c : cases) {
        const SqlOutcome out = engine.run(c.statements);
        EXPECT_NE(out.code, 0);
        EXPECT_EQ(out.failedQuery, c.failed);
        EXPECT_TRUE(out.message.contains(QLatin1String(c.text))) << out.message.toStdString();
        EXPECT_TRUE(out.resultSets.isEmpty());
    }
}

TEST(SqlEngineLimit, StatementsThatRunPastTheLimitAreStoppedAndTheNextRequestRuns) {
    // A recursive query without a bound would otherwise hold its turn for good.
    QTemporaryDir dir;
    const SqlEngine engine(dir.filePath(QStringLiteral("db.sqlite")), 20000,
                           std::chrono::milliseconds(200));
    engine.prepareDatabase();
    const SqlOutcome endless = engine.run(
        {QStringLiteral("SELECT 1 AS one"),
         QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) "
                        "SELECT count(*) AS n FROM c")});
    EXPECT_EQ(endless.code, SQLITE_INTERRUPT);
    EXPECT_EQ(endless.message.toStdString(),
              "Query 2 of 2 failed: stopped after running for 0.2 s, the longest a request's "
              "statements may run");
    const SqlOutcome next = engine.run({QStringLiteral("SELECT 2 AS two")});
    ASSERT_EQ(next.code, 0) << next.message.toStdString();
    EXPECT_EQ(next.resultSets[0].rows[0].value(QStringLiteral("two")), QStringLiteral("2"));
}

TEST_F(SqlEngineTest, ConcurrentRequestsKeepTheirTempTablesAndEveryWrite) {
    constexpr int threads = 6;
    constexpr int writes = 20;
    std::vector<int> seen(threads, -1);
    std::vector<int> failures(threads, 0);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            for (int i = 0; i < writes; ++i) {
                const SqlOutcome out = engine.run({
                    QStringLiteral("CREATE TEMP TABLE same_ (v)"),
                    QStringLiteral("INSERT INTO same_ VALUES (%1)").arg(t),
                    QStringLiteral("INSERT INTO Settings (Name, Value) VALUES ('k%1_%2', 'v')")
                        .arg(t)
                        .arg(i),
                    QStringLiteral("SELECT group_concat(v) AS v FROM same_"),
                    QStringLiteral("DROP TABLE same_"),
                });
                if (out.code != 0) {
                    ++failures[t];
                    continue;
                }
                seen[t] = out.resultSets[3].rows[0].value(QStringLiteral("v")).toInt();
            }
        });
    }
    for (auto& w : workers)
        w.join();
    for (int t = 0; t < threads; ++t) {
        EXPECT_EQ(failures[t], 0);
        EXPECT_EQ(seen[t], t);
    }
    const SqlOutcome count =
        engine.run({QStringLiteral("SELECT count(*) AS n FROM Settings WHERE Name LIKE 'k%'")});
    EXPECT_EQ(count.resultSets[0].rows[0].value(QStringLiteral("n")).toInt(), threads * writes);
}
// The date functions the engine answers from memory must give, call for call, what SQLite's own
// give: same time repeated (as a sample's cells ask), formats alternating, the same instant as
// integer, text and real, hours across both daylight-saving changes and a year's end.
TEST_F(SqlEngineTest, DateFunctionsAnswerAsSQLitesOwn) {
    const ZoneForTest zone("Europe/Berlin");
    const QString query = QStringLiteral(
        "WITH RECURSIVE hours(n) AS (SELECT 0 UNION ALL SELECT n + 1 FROM hours WHERE n < 200), "
        "times(t) AS (SELECT 1206820800 + n * 1800 FROM hours UNION ALL "
        "SELECT 1224968400 + n * 1800 FROM hours UNION ALL SELECT 1230678000 + n * 900 FROM "
        "hours), "
        "cells(t, k) AS (SELECT t, k FROM times, (SELECT 1 AS k UNION ALL SELECT 2 UNION ALL "
        "SELECT 3)) "
        "SELECT t, k, datetime(t, 'unixepoch', 'localtime') AS a, "
        "strftime('%Y', datetime(t, 'unixepoch', 'localtime')) * 10000 + "
        "strftime('%j', datetime(t, 'unixepoch', 'localtime')) AS b, "
        "strftime('%Y', datetime(t, 'unixepoch', 'localtime', '-3 day', 'weekday 4')) AS c, "
        "date(CAST(t AS TEXT), 'unixepoch', 'localtime') AS d, "
        "datetime(t + 0.5, 'unixepoch') AS e, "
        "strftime('%H:%M', CASE k WHEN 2 THEN NULL ELSE t END, 'unixepoch', 'utc') AS f, "
        "date(strftime('%s', datetime('2008-01-01', '+' || (t % 400) || ' hours', 'utc')), "
        "'unixepoch', 'localtime') AS g, datetime(k, 'unixepoch') AS h, "
        "datetime(CAST(k AS TEXT)) AS i "
        "FROM cells ORDER BY t, k");
    const SqlOutcome out = engine.run({query});
    SqliteConnection plain(engine.path(), false);
    SqliteStatement own(plain, query);
    ASSERT_EQ(out.code, 0) << out.message.toStdString();
    const QList<DBSRow>& rows = out.resultSets.value(0).rows;
    qsizetype compared = 0;
    for (; own.step(); ++compared) {
        ASSERT_LT(compared, rows.size());
        for (int column = 0; column < own.columnCount(); ++column)
            ASSERT_EQ(rows[compared].value(own.columnName(column)), own.text(column))
                << own.columnName(column).toStdString() << " of row " << compared;
    }
    EXPECT_EQ(compared, rows.size());
    EXPECT_EQ(compared, 3 * 201 * 3);
}
} // namespace
