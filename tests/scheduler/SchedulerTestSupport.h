#pragma once

#include "scheduler/CSendCommand.h"
#include "scheduler/ScheduleTable.h"

#include "VXNServiceFramework/client/PeerCaller.h"

#include <QDateTime>
#include <QStringList>
#include <QVector>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

struct sqlite3;
class CmdDBSProcessQueryRequest;
class CmdDBSProcessQueryResponse;

// A scripted database service: runs the scheduler's statements on an in-memory SQLite table
// shaped like the real one, records them, and can be told to fail or to hold its answer.
class SqliteScheduleDatabase {
public:
    SqliteScheduleDatabase();
    ~SqliteScheduleDatabase();

    ScheduleQueryAnswer run(const QString& statement);
    // Answers a DBSProcessQuery: one result set per query, or the first failure.
    void answer(const CmdDBSProcessQueryRequest& request, CmdDBSProcessQueryResponse& response);

    // Runs SQL directly, outside the recorded statements; false on an SQL error.
    bool exec(const QString& sql);
    // Every row of the table as "ServiceName|ScheduleID|CommandToSend|Tag", by GlobalID.
    QStringList rows();
    QStringList statements() const;

    // Answers every statement with this result (0: run it) from now on.
    void setFailure(int result);
    // Holds every answer until release(); statements that arrive meanwhile wait.
    void hold();
    void release();

private:
    struct Closer {
        void operator()(sqlite3* db) const;
    };
    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_held = false;
    int m_failure = 0;
    QStringList m_statements;
    std::unique_ptr<sqlite3, Closer> m_db;
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

// The scheduler's peers as a test scripts them: DBSProcessQuery answered by `database`, fired
// commands recorded by `sender`; any other command is unknown.
class ScriptedSchedulerPeers : public PeerCaller {
public:
    ScriptedSchedulerPeers(SqliteScheduleDatabase& database, RecordingSender& sender)
        : m_database(database), m_sender(sender) {}

    using PeerCaller::call;
    std::unique_ptr<Packet> call(Packet& request, const ResponseFactory& makeResponse) override;
    void callAsync(std::unique_ptr<Packet> request) override;

private:
    SqliteScheduleDatabase& m_database;
    RecordingSender& m_sender;
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
