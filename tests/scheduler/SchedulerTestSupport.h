#pragma once

#include "scheduler/CSendCommand.h"
#include "scheduler/ScheduleDatabase.h"
#include "scheduler/ScheduledCommandSender.h"

#include <QDateTime>
#include <QStringList>
#include <QVector>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

struct sqlite3;

// A scripted database service: runs the scheduler's statements on an in-memory SQLite table
// shaped like the real one, records them, and can be told to fail or to hold its answer.
class SqliteScheduleDatabase : public ScheduleDatabase {
public:
    SqliteScheduleDatabase();
    ~SqliteScheduleDatabase() override;

    ScheduleQueryAnswer run(const QString& statement) override;

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
class RecordingSender : public ScheduledCommandSender {
public:
    struct Sent {
        QString command;
        QString text;
        QDateTime at;
    };

    void send(std::unique_ptr<CSendCommand> command) override;

    QVector<Sent> sent() const;
    // Waits until at least `count` commands were sent or `timeout` passed; true if they were.
    bool waitForCount(int count, std::chrono::milliseconds timeout) const;

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    QVector<Sent> m_sent;
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
