#include "JobAccountingStore.h"

#include "JobAccountingReports.h"
#include "Sqlite.h"

#include "VXNServiceFramework/app/Log.h"

#include <QElapsedTimer>
#include <atomic>

namespace {
constexpr int doneProgress = 100;
}

struct JobAccountingStore::Entry {
    JobAccountingQuery query;
    Clock::time_point created;
    std::atomic<int> progress{0};
    std::mutex resultLock; // guards the two below
    std::optional<JACReport::c_Report> report;
    QString error;
};

JobAccountingStore::JobAccountingStore(QString databasePath, int busyTimeoutMs,
                                       Clock::duration keepFor, std::size_t maxKept)
    : m_databasePath(std::move(databasePath)), m_busyTimeoutMs(busyTimeoutMs), m_keepFor(keepFor),
      m_maxKept(maxKept), m_worker([this] { work(); }) {}

JobAccountingStore::~JobAccountingStore() {
    {
        std::lock_guard locker(m_lock);
        m_stop = true;
    }
    m_wake.notify_all();
    m_worker.join();
}

std::optional<int> JobAccountingStore::add(const JobAccountingQuery& query) {
    auto entry = std::make_shared<Entry>();
    entry->query = query;
    entry->created = Clock::now();
    int handle = 0;
    {
        std::lock_guard locker(m_lock);
        dropExpired(entry->created);
        if (m_entries.size() >= m_maxKept)
            return std::nullopt;
        // Wraps after 2^31 reports; 0 and negative handles are never handed out.
        m_lastHandle = m_lastHandle == std::numeric_limits<int>::max() ? 1 : m_lastHandle + 1;
        handle = m_lastHandle;
        m_entries[handle] = entry;
        m_queue.push_back(std::move(entry));
    }
    m_wake.notify_one();
    return handle;
}

std::optional<JobAccountingStore::Snapshot> JobAccountingStore::find(int handle) {
    std::shared_ptr<Entry> entry;
    {
        std::lock_guard locker(m_lock);
        dropExpired(Clock::now());
        const auto it = m_entries.find(handle);
        if (it == m_entries.end())
            return std::nullopt;
        entry = it->second;
    }
    Snapshot snapshot;
    snapshot.progress = entry->progress.load(std::memory_order_acquire);
    if (snapshot.progress == doneProgress) {
        std::lock_guard locker(entry->resultLock);
        snapshot.report = entry->report;
        snapshot.error = entry->error;
    }
    return snapshot;
}

bool JobAccountingStore::remove(int handle) {
    std::lock_guard locker(m_lock);
    dropExpired(Clock::now());
    // A report still queued or being computed is dropped once its worker lets go of it.
    return m_entries.erase(handle) > 0;
}

void JobAccountingStore::dropExpired(Clock::time_point now) {
    std::erase_if(m_entries,
                  [&](const auto& item) { return now - item.second->created >= m_keepFor; });
}

void JobAccountingStore::work() {
    std::unique_lock locker(m_lock);
    while (true) {
        m_wake.wait(locker, [this] { return m_stop || !m_queue.empty(); });
        if (m_stop)
            return;
        const std::shared_ptr<Entry> entry = std::move(m_queue.front());
        m_queue.pop_front();
        locker.unlock();
        compute(*entry);
        locker.lock();
    }
}

void JobAccountingStore::compute(Entry& entry) {
    std::optional<JACReport::c_Report> report;
    QString error;
    QElapsedTimer timer;
    timer.start();
    try {
        SqliteConnection db(m_databasePath, false);
        sqlite3_busy_timeout(db.handle(), m_busyTimeoutMs);
        report = computeJobAccountingReport(db, entry.query, [&entry](int progress) {
            entry.progress.store(progress, std::memory_order_release);
        });
    } catch (const SqliteError& e) {
        error = e.message();
        VELM_ERR << "Job accounting report failed: " << error;
    }
    if (report)
        VELM_INFO << "Job accounting report computed in " << timer.elapsed() << " ms";
    {
        std::lock_guard locker(entry.resultLock);
        entry.report = std::move(report);
        entry.error = error;
    }
    entry.progress.store(doneProgress, std::memory_order_release);
}
