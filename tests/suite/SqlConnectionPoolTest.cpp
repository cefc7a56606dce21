#include "suite/SqlConnectionPool.h"
#include "suite/FleetSchema.h"

#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

namespace {
class SqlConnectionPoolTest : public ::testing::Test {
protected:
    void SetUp() override {
        SqliteConnection db(path);
        FleetSchema::create(db);
    }

    // Runs `sql` on a leased connection and gives it back; answers the connection used.
    sqlite3* runOnce(const QString& sql) {
        const auto lease = pool.acquire();
        lease->connection().exec(sql);
        return lease->connection().handle();
    }

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("db.sqlite"));
    SqlConnectionPool pool{path, 1000, 2};
};

TEST_F(SqlConnectionPoolTest, KeepsAConnectionUnlessItsRequestFailedOrChangedASetting) {
    sqlite3* first = runOnce(QStringLiteral("CREATE TEMP TABLE t_0_ (v); BEGIN; "
                                            "INSERT INTO t_0_ VALUES (1)"));
    EXPECT_EQ(pool.idleCount(), 1);
    EXPECT_EQ(runOnce(QStringLiteral("CREATE TEMP TABLE t_0_ (v)")), first);
    {
        const auto lease = pool.acquire();
        EXPECT_EQ(lease->connection().handle(), first);
        EXPECT_EQ(pool.idleCount(), 0);
        lease->discard();
    }
    EXPECT_EQ(pool.idleCount(), 0);

    for (const char* changesSetting :
         {"PRAGMA case_sensitive_like = 1", "ATTACH ':memory:' AS other"}) {
        runOnce(QString::fromLatin1(changesSetting));
        EXPECT_EQ(pool.idleCount(), 0) << changesSetting;
    }
    // A read-back after a pragma must not give the setting to the next request.
    runOnce(QStringLiteral("PRAGMA case_sensitive_like = 1"));
    const auto lease = pool.acquire();
    EXPECT_EQ(lease->connection().scalarInt(QStringLiteral("SELECT 'a' LIKE 'A'")), 1);
}

TEST_F(SqlConnectionPoolTest, NoStatementReachesAFileBesideTheDatabase) {
    const QString copy = dir.filePath(QStringLiteral("copy.db"));
    SqliteConnection(dir.filePath(QStringLiteral("other.db")))
        .exec(QStringLiteral("CREATE TABLE t (v)"));
    for (const QString& sql :
         {QStringLiteral("VACUUM INTO '%1'").arg(copy),
          QStringLiteral("ATTACH '%1' AS other").arg(dir.filePath(QStringLiteral("other.db"))),
          QStringLiteral("ATTACH 'other' || '.db' AS other")}) {
        const auto lease = pool.acquire();
        EXPECT_THROW(lease->connection().exec(sql), SqliteError) << qPrintable(sql);
    }
    EXPECT_FALSE(QFile::exists(copy));
    // A database in memory reaches no file.
    runOnce(QStringLiteral("ATTACH ':memory:' AS scratch; CREATE TABLE scratch.t (v)"));
}

TEST_F(SqlConnectionPoolTest, AKeptConnectionIsAsNew) {
    runOnce(
        QStringLiteral("CREATE TEMP TABLE \"odd \"\"name\" (v INTEGER PRIMARY KEY AUTOINCREMENT); "
                       "CREATE INDEX temp.odd_v ON \"odd \"\"name\" (v); "
                       "CREATE TEMP VIEW odd_view AS SELECT * FROM \"odd \"\"name\"; "
                       "CREATE TEMP TRIGGER odd_trigger AFTER INSERT ON Groups BEGIN "
                       "INSERT INTO Settings (Name, Value) VALUES ('triggered', NEW.Name); END; "
                       "INSERT INTO \"odd \"\"name\" DEFAULT VALUES; "
                       "BEGIN; INSERT INTO Settings (Name, Value) VALUES ('uncommitted', '')"));
    ASSERT_EQ(pool.idleCount(), 1);
    const auto lease = pool.acquire();
    SqliteConnection& db = lease->connection();
    EXPECT_EQ(sqlite3_last_insert_rowid(db.handle()), 0);
    EXPECT_NE(sqlite3_get_autocommit(db.handle()), 0);
    // An emptied sequence table may stay, as SQLite leaves it.
    EXPECT_EQ(db.scalarInt(QStringLiteral(
                  "SELECT count(*) FROM temp.sqlite_master WHERE name <> 'sqlite_sequence'")),
              0);
    db.exec(QStringLiteral("INSERT INTO Groups (Name) VALUES ('g')"));
    EXPECT_EQ(db.scalarInt(QStringLiteral("SELECT count(*) FROM Settings WHERE Name IN "
                                          "('triggered', 'uncommitted')")),
              0);
}

TEST_F(SqlConnectionPoolTest, AKeptConnectionSeesSchemaChangesOfOthers) {
    runOnce(QStringLiteral("SELECT count(*) FROM Groups"));
    SqliteConnection other(path);
    other.exec(QStringLiteral("CREATE TABLE Later (v); INSERT INTO Later VALUES (7)"));
    const auto lease = pool.acquire();
    EXPECT_EQ(lease->connection().scalarInt(QStringLiteral("SELECT v FROM Later")), 7);
}

// Requests in parallel each get a connection of their own, and no more than the bound stay
// open once they are done.
TEST_F(SqlConnectionPoolTest, ConcurrentRequestsNeverShareAConnection) {
    constexpr int threads = 5;
    constexpr int rounds = 30;
    std::vector<int> wrong(threads, 0);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&, t] {
            for (int i = 0; i < rounds; ++i) {
                const auto lease = pool.acquire();
                SqliteConnection& db = lease->connection();
                db.exec(QStringLiteral("CREATE TEMP TABLE mine_ (v); INSERT INTO mine_ VALUES "
                                       "(%1)")
                            .arg(t));
                std::this_thread::yield();
                if (db.scalar(QStringLiteral("SELECT group_concat(v) FROM mine_")) !=
                    QString::number(t))
                    ++wrong[t];
            }
        });
    for (auto& worker : workers)
        worker.join();
    for (int t = 0; t < threads; ++t)
        EXPECT_EQ(wrong[t], 0) << t;
    EXPECT_EQ(pool.idleCount(), 2);
}

// Polls until `pool` has `count` requests waiting for their turn.
void waitUntilWaiting(const SqlConnectionPool& pool, int count) {
    while (pool.waitingCount() != count)
        std::this_thread::yield();
}

TEST_F(SqlConnectionPoolTest, RequestsBeyondTheBoundWaitTheirTurnInArrivalOrder) {
    SqlConnectionPool bounded(path, 1000, 2, 2);
    auto first = bounded.acquire();
    auto second = bounded.acquire();
    std::mutex orderMutex;
    std::vector<int> order;
    std::vector<std::thread> waiting;
    for (int request = 0; request < 3; ++request) {
        waiting.emplace_back([&, request] {
            const auto lease = bounded.acquire();
            const std::scoped_lock lock(orderMutex);
            order.push_back(request);
        });
        waitUntilWaiting(bounded, request + 1);
    }
    // Two leases run; the three others wait and none got in. One turn freed goes round them
    // one after the other.
    EXPECT_TRUE(order.empty());
    first.reset();
    for (auto& thread : waiting)
        thread.join();
    second.reset();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(bounded.waitingCount(), 0);
    // Every turn was handed back: the bound admits two again at once.
    const auto again = bounded.acquire();
    const auto andAgain = bounded.acquire();
    EXPECT_EQ(bounded.waitingCount(), 0);
}

TEST_F(SqlConnectionPoolTest, AStopEndsTheWaitOfQueuedRequestsAndAllowTakesNewOnes) {
    SqlConnectionPool bounded(path, 1000, 2, 1);
    auto running = bounded.acquire();
    std::atomic<int> interrupted{0};
    std::vector<std::thread> waiting;
    for (int request = 0; request < 2; ++request) {
        waiting.emplace_back([&] {
            try {
                bounded.acquire();
            } catch (const SqliteError& e) {
                if (e.code() == SQLITE_INTERRUPT)
                    ++interrupted;
            }
        });
        waitUntilWaiting(bounded, request + 1);
    }
    bounded.stop();
    for (auto& thread : waiting)
        thread.join();
    EXPECT_EQ(interrupted.load(), 2);
    running.reset();
    bounded.allow();
    const auto lease = bounded.acquire();
    EXPECT_EQ(bounded.waitingCount(), 0);
}

TEST_F(SqlConnectionPoolTest, AConnectionLeftWithFullCachesClosesInsteadOfBeingKept) {
    // A report's temporary tables fill the caches with tens of megabytes, which stay with the
    // connection after the tables are gone.
    const QString bigTable = QStringLiteral(
        "CREATE TEMP TABLE big_0_ (v); "
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
        "INSERT INTO big_0_ SELECT hex(randomblob(100)) FROM n");
    sqlite3* small = runOnce(bigTable.arg(1000));
    EXPECT_EQ(pool.idleCount(), 1);
    EXPECT_EQ(runOnce(bigTable.arg(200000)), small);
    EXPECT_EQ(pool.idleCount(), 0);

    // The next request is served on a new connection as usual.
    const auto lease = pool.acquire();
    EXPECT_EQ(lease->connection().scalarInt(QStringLiteral("SELECT count(*) FROM Devices")), 0);
    EXPECT_EQ(
        lease->connection().scalarInt(QStringLiteral("SELECT count(*) FROM temp.sqlite_master")),
        0);
}
} // namespace
