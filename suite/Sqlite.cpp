#include "Sqlite.h"

#include <mutex>

namespace {
// Before the library's first use in this process. Without the memory statistics nobody here
// reads, every allocation SQLite makes skips a process-wide mutex that the database service's
// concurrent requests would otherwise contend for. Too late once something else has used the
// library: then SQLite keeps its defaults, which only costs speed.
void configureLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0); });
}
} // namespace

SqliteConnection::SqliteConnection(const QString& path, bool create) {
    configureLibrary();
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
    if (create)
        flags |= SQLITE_OPEN_CREATE;
    const QByteArray file = path.toUtf8();
    const int rc = sqlite3_open_v2(file.constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString message =
            m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close(m_db);
        m_db = nullptr;
        throw SqliteError(rc, message);
    }
    sqlite3_extended_result_codes(m_db, 1);
    // The scheduler writes its texts in double quotes; keep SQLite's lenient reading of them
    // whatever the library's compile-time default.
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DQS_DML, 1, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DQS_DDL, 1, nullptr);
}

SqliteConnection::~SqliteConnection() {
    sqlite3_close_v2(m_db);
}

void SqliteConnection::exec(const QString& sql) {
    const QByteArray text = sql.toUtf8();
    char* error = nullptr;
    const int rc = sqlite3_exec(m_db, text.constData(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(error ? error : sqlite3_errstr(rc));
        sqlite3_free(error);
        throw SqliteError(rc, message);
    }
}

QString SqliteConnection::scalar(const QString& sql) {
    SqliteStatement statement(*this, sql);
    return statement.step() ? statement.text(0) : QString();
}

QString SqliteConnection::errorMessage() const {
    return QString::fromUtf8(sqlite3_errmsg(m_db));
}

void SqliteConnection::fail(int code) const {
    throw SqliteError(code, errorMessage());
}

SqliteStatement::SqliteStatement(SqliteConnection& db, const QString& sql) : m_db(db) {
    const QByteArray text = sql.toUtf8();
    const int rc =
        sqlite3_prepare_v2(db.handle(), text.constData(), int(text.size()), &m_stmt, nullptr);
    if (rc != SQLITE_OK)
        db.fail(rc);
}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(m_stmt);
}

SqliteStatement& SqliteStatement::bind(int index, qint64 value) {
    if (const int rc = sqlite3_bind_int64(m_stmt, index, value); rc != SQLITE_OK)
        m_db.fail(rc);
    return *this;
}

SqliteStatement& SqliteStatement::bind(int index, const QString& value) {
    const QByteArray text = value.toUtf8();
    return bind(index, text.constData(), int(text.size()));
}

SqliteStatement& SqliteStatement::bind(int index, const char* utf8, int length) {
    if (const int rc = sqlite3_bind_text(m_stmt, index, utf8, length, SQLITE_TRANSIENT);
        rc != SQLITE_OK)
        m_db.fail(rc);
    return *this;
}

SqliteStatement& SqliteStatement::bindNull(int index) {
    if (const int rc = sqlite3_bind_null(m_stmt, index); rc != SQLITE_OK)
        m_db.fail(rc);
    return *this;
}

bool SqliteStatement::step() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    m_db.fail(rc);
}

void SqliteStatement::run() {
    while (step()) {
    }
    reset();
}

void SqliteStatement::reset() {
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

int SqliteStatement::columnCount() const {
    return sqlite3_column_count(m_stmt);
}

QString SqliteStatement::columnName(int index) const {
    return QString::fromUtf8(sqlite3_column_name(m_stmt, index));
}

QString SqliteStatement::text(int index) const {
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, index));
    return QString::fromUtf8(data, sqlite3_column_bytes(m_stmt, index));
}

qint64 SqliteStatement::integer(int index) const {
    return sqlite3_column_int64(m_stmt, index);
}

bool SqliteStatement::isNull(int index) const {
    return sqlite3_column_type(m_stmt, index) == SQLITE_NULL;
}
