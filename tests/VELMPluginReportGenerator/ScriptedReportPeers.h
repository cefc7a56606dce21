#pragma once

#include "support/ScriptedDatabase.h"
#include "support/ScriptedPeers.h"

#include <QStringList>
#include <functional>

// The shared scripted peers with the database scripted as the report tests need it: the
// script sees the queries of each request and answers result sets or a failure.
class ScriptedReportPeers : public ScriptedPeers {
public:
    struct DatabaseAnswer {
        QList<DBSResultSet> sets;
        int result = 0;
        QString details = QStringLiteral("OK");
    };
    using DatabaseScript = std::function<DatabaseAnswer(const QStringList& queries)>;

    void onDatabase(DatabaseScript script);
    // Every query sent, in order, and every command.
    QStringList queries() const { return m_database.queries(); }
    QStringList commands() const { return recorder().commands(); }

    // A result set with these rows (last row id -1); one of a statement that is no query
    // (row id 0); a database that fails.
    static DBSResultSet rows(std::initializer_list<DBSRow> rows);
    static DBSResultSet statement();
    static DatabaseAnswer failure() { return {{}, 1, QStringLiteral("SQL error")}; }
    // Every statement answers nothing except each SELECT, which finds one row.
    static DatabaseAnswer oneRowPerSelect(const QStringList& queries);

private:
    ScriptedDatabase m_database{*this};
};
