#include "SqlEngine.h"

#include "FleetSchema.h"
#include "Sqlite.h"

#include <limits>

namespace {
// Runs every statement of one text (normally one), collecting the rows of its queries.
DBSResultSet runText(SqliteConnection& db, const QString& text) {
    DBSResultSet set;
    const QByteArray utf8 = text.toUtf8();
    const char* tail = utf8.constData();
    const char* end = tail + utf8.size();
    bool lastWasQuery = false;
    while (tail < end) {
        sqlite3_stmt* raw = nullptr;
        const char* start = tail;
        const int rc = sqlite3_prepare_v2(db.handle(), start, int(end - start), &raw, &tail);
        if (rc != SQLITE_OK) {
            const int offset = sqlite3_error_offset(db.handle());
            QString message = db.errorMessage();
            if (offset >= 0)
                message += QStringLiteral(" (at character %1)")
                               .arg(QString::fromUtf8(utf8.constData(),
                                                      int(start - utf8.constData()) + offset)
                                        .size() +
                                    1);
            throw SqliteError(rc, message);
        }
        if (!raw)
            break; // only blanks or comments were left
        const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(raw,
                                                                              sqlite3_finalize);
        const int columns = sqlite3_column_count(raw);
        QStringList names;
        for (int i = 0; i < columns; ++i)
            names.append(QString::fromUtf8(sqlite3_column_name(raw, i)));
        int step;
        while ((step = sqlite3_step(raw)) == SQLITE_ROW) {
            DBSResultSet::Row row;
            for (int i = 0; i < columns; ++i) {
                const auto* value = reinterpret_cast<const char*>(sqlite3_column_text(raw, i));
                row.insert(names[i], QString::fromUtf8(value, sqlite3_column_bytes(raw, i)));
            }
            set.rows.append(std::move(row));
        }
        if (step != SQLITE_DONE)
            db.fail(step);
        lastWasQuery = columns > 0;
    }
    if (!lastWasQuery) {
        // Statements that are not queries answer a row id, so a caller can tell their empty
        // result from a query that found nothing.
        const qint64 id = sqlite3_last_insert_rowid(db.handle());
        set.lastRowId = id <= std::numeric_limits<int>::max() ? int(id) : 0;
    }
    return set;
}
} // namespace

SqlEngine::SqlEngine(QString path, int busyTimeoutMs)
    : m_path(std::move(path)), m_busyTimeoutMs(busyTimeoutMs) {}

void SqlEngine::prepareDatabase() const {
    SqliteConnection db(m_path);
    sqlite3_busy_timeout(db.handle(), m_busyTimeoutMs);
    if (!FleetSchema::exists(db))
        FleetSchema::create(db);
    db.exec(QStringLiteral("PRAGMA journal_mode = WAL"));
}

SqlOutcome SqlEngine::run(const QStringList& statements) const {
    SqlOutcome outcome;
    int position = 0;
    try {
        SqliteConnection db(m_path, false);
        sqlite3_busy_timeout(db.handle(), m_busyTimeoutMs);
        for (; position < statements.size(); ++position)
            outcome.resultSets.append(runText(db, statements[position]));
    } catch (const SqliteError& e) {
        outcome.code = e.code();
        outcome.failedQuery = position;
        outcome.message = QStringLiteral("Query %1 of %2 failed: %3")
                              .arg(position + 1)
                              .arg(statements.size())
                              .arg(e.message());
        outcome.resultSets.clear();
    }
    return outcome;
}
