#pragma once

#include "Sqlite.h"

#include <QString>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

// Open connections to one database file, configured for report scripts and kept between
// requests: opening one costs a schema parse and, with the mapping, page faults on every page it
// touches again.
//
// A connection comes back as a fresh one would be: no transaction, no temporary table, view or
// trigger, no last inserted row id. One whose request failed, ran a pragma or attached a database
// is closed instead of kept, so no setting of one request reaches the next.
class SqlConnectionPool {
    struct Pooled;

public:
    static constexpr int defaultIdleConnections = 4;

    // One request's use of a connection; gives it back when it ends.
    class Lease {
    public:
        Lease(SqlConnectionPool& pool, std::unique_ptr<Pooled> pooled);
        ~Lease();
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;

        SqliteConnection& connection();
        // The request failed: the connection is closed rather than kept.
        void discard();

    private:
        SqlConnectionPool& m_pool;
        std::unique_ptr<Pooled> m_pooled;
    };

    SqlConnectionPool(QString path, int busyTimeoutMs,
                      int idleConnections = defaultIdleConnections);
    ~SqlConnectionPool();

    // A configured connection, kept or newly opened. Throws SqliteError, also while stopped.
    std::unique_ptr<Lease> acquire();

    // Ends the statements running on leased connections (they fail as interrupted) and refuses
    // new leases until allowed again: a service that stops does not wait for a long query.
    void stop();
    void allow();

    int idleCount() const;

private:
    std::unique_ptr<Pooled> open();
    void giveBack(std::unique_ptr<Pooled> pooled);

    QString m_path;
    int m_busyTimeoutMs;
    int m_idleConnections;
    mutable std::mutex m_mutex;
    std::vector<std::unique_ptr<Pooled>> m_idle;
    // Read by every connection's progress handler, which outlives no lease of this pool.
    std::atomic<bool> m_stopped{false};
};
