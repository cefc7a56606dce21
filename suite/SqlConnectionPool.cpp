#include "SqlConnectionPool.h"

#include "DateFunctionMemo.h"

#include <QStringList>
#include <QThread>

#include <algorithm>
#include <cstring>
#include <malloc.h>
#include <utility>

namespace {
// Report scripts build temporary tables of millions of rows: page caches of their size keep
// them off the disk (the temporary database has a cache of its own, small by default), and the
// history is read through the mapping instead of copied page by page. All are bounded per
// connection.
constexpr const char* kConnectionPragmas = "PRAGMA cache_size = -65536; "
                                           "PRAGMA temp.cache_size = -131072; "
                                           "PRAGMA mmap_size = 1073741824;";

// A connection whose caches hold more than this after its request closes rather than being
// kept: a burst of reports with large temporary tables left every kept connection holding
// hundreds of megabytes for good. Opening a new one costs little next to such a report.
constexpr int kMostCacheKept = 16 << 20;

// Triggers first: dropping their table first would drop them with it.
constexpr const char* kTemporaryObjects =
    "SELECT type, name FROM temp.sqlite_master "
    "WHERE type IN ('trigger', 'view', 'table') AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
    "ORDER BY CASE type WHEN 'trigger' THEN 0 WHEN 'view' THEN 1 ELSE 2 END";
constexpr const char* kTemporaryLeftovers =
    "SELECT count(*) FROM temp.sqlite_master WHERE name <> 'sqlite_sequence'";

// How many virtual machine steps a statement takes between two looks at the stop flag and the
// clock: often enough to stop within milliseconds, rarely enough to cost nothing measurable.
constexpr int kStepsBetweenStopChecks = 10000;

QString quotedName(QString name) {
    return QLatin1Char('"') + name.replace(QLatin1Char('"'), QLatin1String("\"\"")) +
           QLatin1Char('"');
}
} // namespace

// A connection and whether what its requests did leaves it as a fresh one would be.
struct SqlConnectionPool::Pooled {
    using Clock = std::chrono::steady_clock;

    Pooled(const QString& path, const std::atomic<bool>& stopped)
        : db(path, false), stopped(stopped) {}

    // Called between virtual machine steps: non-zero ends the running statement as interrupted.
    static int progress(void* self) {
        auto* pooled = static_cast<Pooled*>(self);
        if (pooled->stopped.load(std::memory_order_relaxed))
            return 1;
        if (Clock::now() < pooled->deadline)
            return 0;
        pooled->timedOut = true;
        return 1;
    }

    // Sees every statement as it is prepared: a pragma may change a setting of the connection
    // and an attachment adds a database to it, neither of which the next request may inherit.
    // A file may not be attached (nor written by VACUUM INTO, which attaches it): any client
    // could otherwise read or write files of this machine; a database in memory is harmless.
    static int watch(void* self, int action, const char* file, const char*, const char*,
                     const char*) {
        if (action == SQLITE_ATTACH && !isInMemory(file))
            return SQLITE_DENY;
        if (action == SQLITE_PRAGMA || action == SQLITE_ATTACH || action == SQLITE_DETACH)
            static_cast<Pooled*>(self)->settingsChanged = true;
        return SQLITE_OK;
    }
    // Not known when the name is an expression rather than a literal.
    static bool isInMemory(const char* file) {
        return file != nullptr &&
               (std::strcmp(file, "") == 0 || std::strcmp(file, ":memory:") == 0);
    }

    // Back to a fresh connection's state; false when that cannot be promised.
    bool reset() {
        if (settingsChanged)
            return false;
        try {
            if (!sqlite3_get_autocommit(db.handle()))
                db.exec(QStringLiteral("ROLLBACK"));
            QStringList drops;
            {
                SqliteStatement objects(db, QString::fromLatin1(kTemporaryObjects));
                while (objects.step())
                    drops.append(QStringLiteral("DROP %1 temp.%2")
                                     .arg(objects.text(0).toUpper(), quotedName(objects.text(1))));
            }
            for (const QString& drop : drops)
                db.exec(drop);
            if (db.scalarInt(QString::fromLatin1(kTemporaryLeftovers)) != 0)
                return false;
        } catch (const SqliteError&) {
            return false;
        }
        // Our own statements ran under the watch.
        settingsChanged = false;
        sqlite3_set_last_insert_rowid(db.handle(), 0);
        return true;
    }

    // Frees the clean pages of its caches and answers what they still hold: the pages of
    // dropped temporary tables stay there, dirty, until the connection closes.
    int shrinkCaches() {
        sqlite3_db_release_memory(db.handle());
        int used = 0;
        int highest = 0;
        sqlite3_db_status(db.handle(), SQLITE_DBSTATUS_CACHE_USED, &used, &highest, 0);
        return used;
    }

    SqliteConnection db;
    const std::atomic<bool>& stopped;
    Clock::time_point deadline = Clock::time_point::max();
    bool timedOut = false;
    bool settingsChanged = false;
};

SqlConnectionPool::Lease::Lease(SqlConnectionPool& pool, std::unique_ptr<Pooled> pooled)
    : m_pool(pool), m_pooled(std::move(pooled)) {}

SqlConnectionPool::Lease::~Lease() {
    if (m_pooled)
        m_pool.giveBack(std::move(m_pooled));
    m_pool.endTurn();
}

SqliteConnection& SqlConnectionPool::Lease::connection() {
    return m_pooled->db;
}

void SqlConnectionPool::Lease::discard() {
    m_pooled.reset();
}

bool SqlConnectionPool::Lease::timedOut() const {
    return m_pooled && m_pooled->timedOut;
}

int SqlConnectionPool::defaultConcurrentLeases() {
    return std::max(8, 4 * QThread::idealThreadCount());
}

SqlConnectionPool::SqlConnectionPool(QString path, int busyTimeoutMs, int idleConnections,
                                     int concurrentLeases,
                                     std::chrono::milliseconds scriptTimeLimit)
    : m_path(std::move(path)), m_busyTimeoutMs(busyTimeoutMs), m_idleConnections(idleConnections),
      m_concurrentLeases(std::max(1, concurrentLeases)), m_scriptTimeLimit(scriptTimeLimit) {}

SqlConnectionPool::~SqlConnectionPool() = default;

namespace {
SqliteError stopping() {
    return SqliteError(SQLITE_INTERRUPT, QStringLiteral("the database service is stopping"));
}
} // namespace

std::unique_ptr<SqlConnectionPool::Lease> SqlConnectionPool::acquire() {
    takeTurn();
    std::unique_ptr<Pooled> pooled;
    {
        const std::scoped_lock lock(m_mutex);
        if (!m_idle.empty()) {
            pooled = std::move(m_idle.back());
            m_idle.pop_back();
        }
    }
    try {
        if (!pooled)
            pooled = open();
    } catch (...) {
        endTurn();
        throw;
    }
    // The limit counts from the turn, not from the wait for it.
    pooled->deadline = Pooled::Clock::now() + m_scriptTimeLimit;
    pooled->timedOut = false;
    return std::make_unique<Lease>(*this, std::move(pooled));
}

void SqlConnectionPool::takeTurn() {
    std::unique_lock lock(m_mutex);
    if (m_stopped.load())
        throw stopping();
    if (m_waiting.empty() && m_leased < m_concurrentLeases) {
        ++m_leased;
        return;
    }
    Waiter waiter;
    m_waiting.push_back(&waiter);
    waiter.turn.wait(lock, [&] { return waiter.granted || m_stopped.load(); });
    if (waiter.granted) {
        if (!m_stopped.load())
            return;
        endTurnLocked();
    } else {
        m_waiting.erase(std::find(m_waiting.begin(), m_waiting.end(), &waiter));
    }
    throw stopping();
}

void SqlConnectionPool::endTurn() {
    const std::scoped_lock lock(m_mutex);
    endTurnLocked();
}

// The turn goes on to the longest waiting request, which keeps the count as it is.
void SqlConnectionPool::endTurnLocked() {
    if (m_waiting.empty()) {
        --m_leased;
        return;
    }
    Waiter* next = m_waiting.front();
    m_waiting.pop_front();
    next->granted = true;
    next->turn.notify_one();
}

int SqlConnectionPool::idleCount() const {
    const std::scoped_lock lock(m_mutex);
    return int(m_idle.size());
}

int SqlConnectionPool::waitingCount() const {
    const std::scoped_lock lock(m_mutex);
    return int(m_waiting.size());
}

std::unique_ptr<SqlConnectionPool::Pooled> SqlConnectionPool::open() {
    auto pooled = std::make_unique<Pooled>(m_path, m_stopped);
    sqlite3* handle = pooled->db.handle();
    sqlite3_busy_timeout(handle, m_busyTimeoutMs);
    pooled->db.exec(QString::fromLatin1(kConnectionPragmas));
    DateFunctionMemo::install(handle);
    sqlite3_set_authorizer(handle, &Pooled::watch, pooled.get());
    sqlite3_progress_handler(handle, kStepsBetweenStopChecks, &Pooled::progress, pooled.get());
    return pooled;
}

void SqlConnectionPool::stop() {
    const std::scoped_lock lock(m_mutex);
    m_stopped.store(true);
    for (Waiter* waiter : m_waiting)
        waiter->turn.notify_one();
}

void SqlConnectionPool::allow() {
    m_stopped.store(false);
}

void SqlConnectionPool::giveBack(std::unique_ptr<Pooled> pooled) {
    if (!pooled->reset())
        return;
    if (pooled->shrinkCaches() > kMostCacheKept) {
        pooled.reset();
        // The allocator would keep what the connection held for this process's later use; a
        // burst of reports then left the service holding gigabytes while idle.
        malloc_trim(0);
        return;
    }
    {
        const std::scoped_lock lock(m_mutex);
        if (int(m_idle.size()) < m_idleConnections) {
            m_idle.push_back(std::move(pooled));
            return;
        }
    }
    // Enough are kept: this one closes, outside the lock.
}
