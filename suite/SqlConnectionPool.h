#pragma once

#include "Sqlite.h"

#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
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
//
// At most so many leases run at once; further requests wait their turn, first come first served.
// Each running script holds page caches of up to 192 MB and builds its answer in memory: a burst
// of report requests would otherwise take all the machine's memory (hundreds of reports at once
// took 7.7 GB), and with every core busy more scripts at once finish no sooner. The bound is
// generous, so that a short query waits only while the machine is flooded.
class SqlConnectionPool {
    struct Pooled;

public:
    static constexpr int defaultIdleConnections = 4;
    // How long one request's statements may run: the largest fleets' reports take minutes, a
    // statement that never ends (a recursive query without a bound) would hold its turn for good.
    static constexpr std::chrono::milliseconds defaultScriptTimeLimit = std::chrono::hours(1);
    // Four per core, at least eight.
    static int defaultConcurrentLeases();

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
        // Its statements ran past the time limit and were stopped (they failed as interrupted).
        bool timedOut() const;

    private:
        SqlConnectionPool& m_pool;
        std::unique_ptr<Pooled> m_pooled;
    };

    SqlConnectionPool(QString path, int busyTimeoutMs, int idleConnections = defaultIdleConnections,
                      int concurrentLeases = defaultConcurrentLeases(),
                      std::chrono::milliseconds scriptTimeLimit = defaultScriptTimeLimit);
    ~SqlConnectionPool();

    // A configured connection, kept or newly opened, once fewer than the bound are leased.
    // Throws SqliteError, also while stopped (a request waiting for its turn included).
    std::unique_ptr<Lease> acquire();

    // Ends the statements running on leased connections (they fail as interrupted) and refuses
    // new leases until allowed again: a service that stops does not wait for a long query.
    void stop();
    void allow();

    std::chrono::milliseconds scriptTimeLimit() const { return m_scriptTimeLimit; }
    int idleCount() const;
    // Requests waiting for their turn.
    int waitingCount() const;

private:
    // A request waiting for a lease; granted when a finished lease hands its turn on.
    struct Waiter {
        std::condition_variable turn;
        bool granted = false;
    };

    void takeTurn();
    void endTurn();
    void endTurnLocked();
    std::unique_ptr<Pooled> open();
    void giveBack(std::unique_ptr<Pooled> pooled);

    QString m_path;
    int m_busyTimeoutMs;
    int m_idleConnections;
    int m_concurrentLeases;
    std::chrono::milliseconds m_scriptTimeLimit;
    mutable std::mutex m_mutex;
    std::vector<std::unique_ptr<Pooled>> m_idle;
    int m_leased = 0;
    std::deque<Waiter*> m_waiting;
    // Read by every connection's progress handler, which outlives no lease of this pool.
    std::atomic<bool> m_stopped{false};
};
