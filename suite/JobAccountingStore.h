#pragma once

#include "JobAccountingQuery.h"

#include "VELMPluginReportGenerator/jobaccounting/messages/JACReport.h"

#include <QString>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

// The job accounting reports asked for: computed one after another on a worker thread of
// their own, kept until deleted and at most `keepFor`, and no more than `maxKept` at a time so
// that clients who never delete cannot exhaust memory.
class JobAccountingStore {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::hours defaultKeepFor{1};
    static constexpr std::size_t defaultMaxKept = 100;

    // What a handle shows: the progress, and once done the report or why it failed.
    struct Snapshot {
        int progress = 0;
        std::optional<JACReport::c_Report> report;
        QString error;
    };

    JobAccountingStore(QString databasePath, int busyTimeoutMs,
                       Clock::duration keepFor = defaultKeepFor,
                       std::size_t maxKept = defaultMaxKept);
    // Stops the worker after the report it computes.
    ~JobAccountingStore();
    JobAccountingStore(const JobAccountingStore&) = delete;
    JobAccountingStore& operator=(const JobAccountingStore&) = delete;

    // Queues the report and answers its handle (from 1 on; 0 is never one); nothing when
    // `maxKept` reports are kept already.
    std::optional<int> add(const JobAccountingQuery& query);
    std::optional<Snapshot> find(int handle);
    // False when the handle names no report.
    bool remove(int handle);

private:
    struct Entry;

    void work();
    void compute(Entry& entry);
    void dropExpired(Clock::time_point now); // under m_lock

    const QString m_databasePath;
    const int m_busyTimeoutMs;
    const Clock::duration m_keepFor;
    const std::size_t m_maxKept;

    std::mutex m_lock; // guards everything below
    std::condition_variable m_wake;
    std::map<int, std::shared_ptr<Entry>> m_entries;
    std::deque<std::shared_ptr<Entry>> m_queue;
    int m_lastHandle = 0;
    bool m_stop = false;
    std::thread m_worker; // last: starts once the state above exists
};
