#pragma once

#include <QByteArray>
#include <QString>
#include <sqlite3.h>
#include <stdexcept>

// Thin RAII layer over the sqlite3 C API: one connection, prepared statements, and an
// exception that carries SQLite's own message.
class SqliteError : public std::runtime_error {
public:
    SqliteError(int code, const QString& message)
        : std::runtime_error(message.toStdString()), m_code(code), m_message(message) {}

    int code() const { return m_code; }
    const QString& message() const { return m_message; }

private:
    int m_code;
    QString m_message;
};

class SqliteStatement;

class SqliteConnection {
public:
    // Opens (creating when asked) the database file. Throws SqliteError.
    explicit SqliteConnection(const QString& path, bool create = true);
    ~SqliteConnection();
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    sqlite3* handle() const { return m_db; }

    // Runs one or more statements that return no rows of interest. Throws SqliteError.
    void exec(const QString& sql);
    // First column of the first row of a query, as text (empty when there is no row).
    QString scalar(const QString& sql);
    qint64 scalarInt(const QString& sql) { return scalar(sql).toLongLong(); }

    QString errorMessage() const;
    [[noreturn]] void fail(int code) const;

private:
    sqlite3* m_db = nullptr;
};

class SqliteStatement {
public:
    SqliteStatement(SqliteConnection& db, const QString& sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    SqliteStatement& bind(int index, qint64 value);
    SqliteStatement& bind(int index, const QString& value);
    SqliteStatement& bind(int index, const char* utf8, int length = -1);
    SqliteStatement& bindNull(int index);

    // True while a row is available; throws SqliteError on failure.
    bool step();
    // Runs a statement that returns no rows, then resets it for the next bindings.
    void run();
    void reset();

    int columnCount() const;
    QString columnName(int index) const;
    QString text(int index) const;
    qint64 integer(int index) const;
    bool isNull(int index) const;

    sqlite3_stmt* handle() const { return m_stmt; }

private:
    SqliteConnection& m_db;
    sqlite3_stmt* m_stmt = nullptr;
};
