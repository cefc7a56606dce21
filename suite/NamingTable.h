#pragma once

#include <QHash>
#include <QReadWriteLock>
#include <QString>
#include <QStringList>

#include <mutex>

// The naming service's registrations: command name -> URL of the process serving it. A command
// registered again (by another process or the same one) goes to the later URL. Kept in a table
// of the suite's database once `keepIn` named it, so that the processes registered before a
// restart of the suite are still found after it (they register only when they start).
// Safe for concurrent use.
class NamingTable {
public:
    // Loads the registrations kept in the database at `databasePath` (creating their table
    // when missing) and keeps every later one there too. Throws SqliteError.
    void keepIn(const QString& databasePath, int busyTimeoutMs);

    // In effect at once; a registration the database does not take is logged on "err" and
    // lasts until the suite stops.
    void registerService(const QString& url, const QStringList& commands);
    // The URL for `command`; empty when no process registered it.
    QString find(const QString& command) const;
    int size() const;

private:
    void store(const QString& url, const QStringList& commands);

    // Orders writers, so that the database holds the registration that is in effect.
    std::mutex m_writeMutex;
    QString m_databasePath; // empty: in memory only
    int m_busyTimeoutMs = 0;
    mutable QReadWriteLock m_lock;
    QHash<QString, QString> m_urls;
};
