#pragma once

#include "SqlConnectionPool.h"

#include "peers/CmdDBSProcessQueryResponse.h"

#include <QList>
#include <QString>
#include <QStringList>

// Receives what the statements of one request produce, in order: per statement one set, with
// the columns and rows of a query.
class SqlRowSink {
public:
    virtual ~SqlRowSink() = default;
    virtual void beginSet() = 0;
    // The column names of a query statement, before its rows.
    virtual void columns(const QStringList& names) = 0;
    // One value per column, in column order, as SQLite's UTF-8 text (NULL as empty text);
    // valid during the call only.
    virtual void row(const QByteArrayView* values) = 0;
    virtual void endSet(int lastRowId) = 0;
};

struct SqlFailure {
    int code = 0;         // 0, or SQLite's (extended) result code
    QString message;      // SQLite's message, with the failing statement's position
    int failedQuery = -1; // 0-based position of the failing statement
};

// What one request of statements produced: either every result set, or the first failure.
struct SqlOutcome : SqlFailure {
    QList<DBSResultSet> resultSets;
};

// Runs the statements of one request in order on one connection of its own (so temporary
// tables live across them and concurrent requests never share one), over a database in WAL
// mode with a busy timeout so concurrent writers wait rather than fail. Connections are kept
// between requests, each request seeing one as freshly opened.
//
// Each statement text gives one result set: its rows (every column, NULL as empty text) when it
// is a query; otherwise no rows and, as the last row id, SQLite's last inserted row id of the
// connection (0 before any insert). Queries answer no last row id (-1).
class SqlEngine {
public:
    static constexpr int defaultBusyTimeoutMs = 15000;

    explicit SqlEngine(
        QString path, int busyTimeoutMs = defaultBusyTimeoutMs,
        std::chrono::milliseconds scriptTimeLimit = SqlConnectionPool::defaultScriptTimeLimit);

    // Creates the schema when the file lacks it and switches the file to WAL mode.
    void prepareDatabase() const;
    // Streams the sets into `sink`; on failure the sink holds a partial answer to discard.
    SqlFailure run(const QStringList& statements, SqlRowSink& sink) const;
    // Collects the sets; on failure they are empty.
    SqlOutcome run(const QStringList& statements) const;

    const QString& path() const { return m_path; }

    // Running statements fail as interrupted and new requests are refused, until allowed.
    void stopQueries() { m_pool.stop(); }
    void allowQueries() { m_pool.allow(); }

private:
    QString m_path;
    int m_busyTimeoutMs;
    mutable SqlConnectionPool m_pool;
};
