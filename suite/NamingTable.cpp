#include "NamingTable.h"

#include "Sqlite.h"

#include "VXNServiceFramework/app/Log.h"

namespace {

const QString createTable =
    QStringLiteral("CREATE TABLE IF NOT EXISTS NamingRegistrations (Command TEXT PRIMARY KEY, "
                   "URL TEXT NOT NULL)");

} // namespace

void NamingTable::keepIn(const QString& databasePath, int busyTimeoutMs) {
    SqliteConnection db(databasePath);
    sqlite3_busy_timeout(db.handle(), busyTimeoutMs);
    db.exec(createTable);
    QHash<QString, QString> kept;
    SqliteStatement rows(db, QStringLiteral("SELECT Command, URL FROM NamingRegistrations"));
    while (rows.step())
        kept.insert(rows.text(0), rows.text(1));
    std::lock_guard writer(m_writeMutex);
    m_databasePath = databasePath;
    m_busyTimeoutMs = busyTimeoutMs;
    QWriteLocker lock(&m_lock);
    // Registrations made meanwhile are the later ones.
    for (auto it = kept.cbegin(); it != kept.cend(); ++it)
        if (!m_urls.contains(it.key()))
            m_urls.insert(it.key(), it.value());
}

void NamingTable::registerService(const QString& url, const QStringList& commands) {
    std::lock_guard writer(m_writeMutex);
    {
        QWriteLocker lock(&m_lock);
        for (const QString& command : commands)
            m_urls.insert(command, url);
    }
    if (m_databasePath.isEmpty())
        return;
    try {
        store(url, commands);
    } catch (const SqliteError& e) {
        VELM_ERR << "The registration of " << url
                 << " is not kept beyond this run: " << e.message();
    }
}

void NamingTable::store(const QString& url, const QStringList& commands) {
    if (commands.isEmpty())
        return;
    SqliteConnection db(m_databasePath);
    sqlite3_busy_timeout(db.handle(), m_busyTimeoutMs);
    // One statement, so that a registration is kept whole or not at all.
    QStringList rows;
    rows.fill(QStringLiteral("(?, ?)"), commands.size());
    SqliteStatement upsert(db, QStringLiteral("INSERT OR REPLACE INTO NamingRegistrations "
                                              "(Command, URL) VALUES ") +
                                   rows.join(QLatin1Char(',')));
    for (int i = 0; i < commands.size(); ++i)
        upsert.bind(2 * i + 1, commands[i]).bind(2 * i + 2, url);
    upsert.run();
}

QString NamingTable::find(const QString& command) const {
    QReadLocker lock(&m_lock);
    return m_urls.value(command);
}

int NamingTable::size() const {
    QReadLocker lock(&m_lock);
    return int(m_urls.size());
}
