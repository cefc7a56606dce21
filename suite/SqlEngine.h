#pragma once

#include "peers/CmdDBSProcessQueryResponse.h"

#include <QList>
#include <QString>
#include <QStringList>

// What one request of statements produced: either every result set, or the first failure.
struct SqlOutcome {
    int code = 0;         // 0, or SQLite's (extended) result code
    QString message;      // SQLite's message, with the failing statement's position
    int failedQuery = -1; // 0-based position of the failing statement
    QList<DBSResultSet> resultSets;
};

// Runs the statements of one request in order on one connection of its own (so temporary
// tables live across them and concurrent requests never share one), over a database in WAL
// mode with a busy timeout so concurrent writers wait rather than fail.
//
// Each statement text gives one result set: its rows (every column, NULL as empty text) when it
// is a query; otherwise no rows and, as the last row id, SQLite's last inserted row id of the
// connection (0 before any insert). Queries answer no last row id (-1).
class SqlEngine {
public:
    static constexpr int defaultBusyTimeoutMs = 15000;

    explicit SqlEngine(QString path, int busyTimeoutMs = defaultBusyTimeoutMs);

    // Creates the schema when the file lacks it and switches the file to WAL mode.
    void prepareDatabase() const;
    SqlOutcome run(const QStringList& statements) const;

    const QString& path() const { return m_path; }

private:
    QString m_path;
    int m_busyTimeoutMs;
};
