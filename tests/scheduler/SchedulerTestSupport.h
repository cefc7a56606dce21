#pragma once

#include "scheduler/CSendCommand.h"
#include "scheduler/ScheduleTable.h"

#include "support/ScriptedDatabase.h"
#include "support/ScriptedPeers.h"

#include "VXNServiceFramework/packets/ResultCodes.h"

#include <QDateTime>
#include <QStringList>
#include <QVector>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

struct sqlite3;

// The Scheduler table of the database service: runs the scheduler's statements on an in-memory
// SQLite table shaped like the real one.
class SqliteScheduleDatabase {
public:
    SqliteScheduleDatabase();
    ~SqliteScheduleDatabase();

    ScheduleQueryAnswer run(const QString& statement);
    // Answers a DBSProcessQuery: one result set per query, or the first failure.
    std::unique_ptr<CmdDBSProcessQueryResponse> answer(const QStringList& queries);

    // Runs SQL directly, outside the scheduler's statements; false on an SQL error.
    bool exec(const QString& sql);
    // From now on a request whose answer would hold `text` in a value is refused, as the
    // database service refuses values XML cannot carry.
    void refuseValuesHolding(const QString& text);
    // Every row of the table as "ServiceName|ScheduleID|CommandToSend|Tag", by GlobalID.
    QStringList rows();

private:
    // The database service's code for an answer it cannot write.
    static constexpr int kRefusedValue = 1001;
    struct Closer {
        void operator()(sqlite3* db) const;
    };
    bool holdsRefusedValue(const QVector<SqlRow>& rows);
    std::mutex m_mutex;
    std::unique_ptr<sqlite3, Closer> m_db;
    QString m_refused;
};

// Records the commands the scheduler fires, with the local time of each.
class RecordingSender {
public:
    struct Sent {
        QString command;
        QString text;
        QDateTime at;
    };

    void record(const CSendCommand& command);

    QVector<Sent> sent() const;
    // Waits until at least `count` commands were sent or `timeout` passed; true if they were.
    bool waitForCount(int count, std::chrono::milliseconds timeout) const;

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    QVector<Sent> m_sent;
};

// The shared scripted peers with the scheduler's database and targets: DBSProcessQuery runs on
// `table`, and fired commands are kept by `sender` with the time they were sent. Failing or
// holding the database goes through fail() and hold() of the peers.
class ScriptedSchedulerPeers : public ScriptedPeers {
public:
    static inline const QString database = QStringLiteral("DBSProcessQuery");

    ScriptedSchedulerPeers(SqliteScheduleDatabase& table, RecordingSender& sender);

    void callAsync(std::unique_ptr<Packet> request) override;

    // Every database request answers a connection failure, "scripted failure", until recovered.
    void failDatabase() { fail(database, ResultCode::ConnectionFailed, failureText); }
    void recoverDatabase() { unfail(database); }
    // Every database request goes out and no answer comes back, until recovered.
    void loseDatabaseAnswers() { fail(database, ResultCode::CommunicationFailed, failureText); }
    static inline const QString failureText = QStringLiteral("scripted failure");

    // Database requests received so far, answered or not.
    int databaseRequests() const { return recorder().count(database); }

private:
    RecordingSender& m_sender;
    ScriptedDatabase m_database{*this};
};

// Polls `condition` until it holds or `timeout` passes.
bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

// Captures the lines of the "info" and "warning" logs while it lives; `onLine` runs for each
// line on the logging thread (a test may hold that thread up there).
class LogCapture {
public:
    explicit LogCapture(std::function<void(const QString&)> onLine = {});
    ~LogCapture();
    QStringList lines() const;
};
