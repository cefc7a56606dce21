#include "SqlEngine.h"

#include "FleetSchema.h"
#include "Sqlite.h"

#include "peers/DBSRowShape.h"

#include "VXNServiceFramework/app/Log.h"

#include <array>
#include <charconv>
#include <limits>
#include <memory>

namespace {
[[noreturn]] void failPrepare(SqliteConnection& db, int rc, const QByteArray& utf8,
                              const char* start) {
    const int offset = sqlite3_error_offset(db.handle());
    QString message = db.errorMessage();
    if (offset >= 0) {
        const auto before =
            QString::fromUtf8(utf8.constData(), int(start - utf8.constData()) + offset);
        message += QStringLiteral(" (at character %1)").arg(before.size() + 1);
    }
    throw SqliteError(rc, message);
}

using IntegerText = std::array<char, 24>;

// A column's value as UTF-8 text. Integers, most of every answer, are written here rather than
// converted inside SQLite (same decimal text, without SQLite's copy and length scan).
QByteArrayView columnText(sqlite3_stmt* statement, int column, IntegerText& digits) {
    if (sqlite3_column_type(statement, column) == SQLITE_INTEGER) {
        const auto end = std::to_chars(digits.data(), digits.data() + digits.size(),
                                       sqlite3_column_int64(statement, column))
                             .ptr;
        return QByteArrayView(digits.data(), end - digits.data());
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return QByteArrayView(text, sqlite3_column_bytes(statement, column));
}

// Runs every statement of one text (normally one) as one result set.
void runText(SqliteConnection& db, const QString& text, SqlRowSink& sink) {
    sink.beginSet();
    const QByteArray utf8 = text.toUtf8();
    const char* tail = utf8.constData();
    const char* end = tail + utf8.size();
    bool lastWasQuery = false;
    QList<QByteArrayView> values;
    QList<IntegerText> digits;
    while (tail < end) {
        sqlite3_stmt* raw = nullptr;
        const char* start = tail;
        const int rc = sqlite3_prepare_v2(db.handle(), start, int(end - start), &raw, &tail);
        if (rc != SQLITE_OK)
            failPrepare(db, rc, utf8, start);
        if (!raw)
            break; // only blanks or comments were left
        const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(raw,
                                                                              sqlite3_finalize);
        const int columns = sqlite3_column_count(raw);
        if (columns > 0) {
            QStringList names;
            for (int i = 0; i < columns; ++i)
                names.append(QString::fromUtf8(sqlite3_column_name(raw, i)));
            sink.columns(names);
            values.resize(columns);
            digits.resize(columns);
        }
        int step;
        while ((step = sqlite3_step(raw)) == SQLITE_ROW) {
            for (int i = 0; i < columns; ++i)
                values[i] = columnText(raw, i, digits[i]);
            sink.row(values.constData());
        }
        if (step != SQLITE_DONE)
            db.fail(step);
        lastWasQuery = columns > 0;
    }
    int lastRowId = -1;
    if (!lastWasQuery) {
        // Statements that are not queries answer a row id, so a caller can tell their empty
        // result from a query that found nothing.
        const qint64 id = sqlite3_last_insert_rowid(db.handle());
        lastRowId = id <= std::numeric_limits<int>::max() ? int(id) : 0;
    }
    sink.endSet(lastRowId);
}

class ResultSetSink : public SqlRowSink {
public:
    explicit ResultSetSink(QList<DBSResultSet>& sets) : m_sets(sets) {}

    void beginSet() override { m_sets.append(DBSResultSet()); }
    void columns(const QStringList& names) override {
        m_shape.reshape(QList<QStringView>(names.cbegin(), names.cend()));
        m_values.resize(names.size());
    }
    // Every row shares the statement's column list.
    void row(const QByteArrayView* values) override {
        for (qsizetype i = 0; i < m_values.size(); ++i)
            m_values[i] = QString::fromUtf8(values[i]);
        m_sets.last().rows.append(m_shape.row(m_values));
    }
    void endSet(int lastRowId) override { m_sets.last().lastRowId = lastRowId; }

private:
    QList<DBSResultSet>& m_sets;
    DBSRowShape m_shape;
    QList<QString> m_values; // the current row in statement order
};
} // namespace

SqlEngine::SqlEngine(QString path, int busyTimeoutMs, std::chrono::milliseconds scriptTimeLimit)
    : m_path(std::move(path)), m_busyTimeoutMs(busyTimeoutMs),
      m_pool(m_path, busyTimeoutMs, SqlConnectionPool::defaultIdleConnections,
             SqlConnectionPool::defaultConcurrentLeases(), scriptTimeLimit) {}

void SqlEngine::prepareDatabase() const {
    SqliteConnection db(m_path);
    sqlite3_busy_timeout(db.handle(), m_busyTimeoutMs);
    if (!FleetSchema::exists(db)) {
        FleetSchema::create(db);
    } else if (const int missing = FleetSchema::missingIndexes(db); missing > 0) {
        // On a large history this takes minutes before the first request can be served.
        VELM_INFO << "Adding " << missing << " index(es) to the database " << m_path
                  << "; on a large history this takes minutes, once";
        FleetSchema::createIndexes(db);
        VELM_INFO << "Added the index(es) to the database " << m_path;
    }
    db.exec(QStringLiteral("PRAGMA journal_mode = WAL"));
}

SqlFailure SqlEngine::run(const QStringList& statements, SqlRowSink& sink) const {
    SqlFailure failure;
    int position = 0;
    std::unique_ptr<SqlConnectionPool::Lease> lease;
    try {
        lease = m_pool.acquire();
        for (; position < statements.size(); ++position)
            runText(lease->connection(), statements[position], sink);
    } catch (const SqliteError& e) {
        const bool timedOut = lease && lease->timedOut();
        if (lease)
            lease->discard();
        failure.code = e.code();
        failure.failedQuery = position;
        failure.message =
            QStringLiteral("Query %1 of %2 failed: %3")
                .arg(position + 1)
                .arg(statements.size())
                .arg(timedOut ? QStringLiteral("stopped after running for %1 s, the "
                                               "longest a request's statements may run")
                                    .arg(double(m_pool.scriptTimeLimit().count()) / 1000)
                              : e.message());
    }
    return failure;
}

SqlOutcome SqlEngine::run(const QStringList& statements) const {
    SqlOutcome outcome;
    ResultSetSink sink(outcome.resultSets);
    static_cast<SqlFailure&>(outcome) = run(statements, sink);
    if (outcome.code != 0)
        outcome.resultSets.clear();
    return outcome;
}
