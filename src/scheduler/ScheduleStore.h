#pragma once

#include "scheduler/CmdSchIdList.h"
#include "scheduler/ScheduleItem.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

class CVELMSchThread;
class ScheduleDatabase;
class ScheduledCommandSender;

// The schedule items of all services (service name -> id -> item, both ascending), their rows
// in the Scheduler table, and the worker thread that fires them.
//
// One mutex guards the items; it is held for the whole of each change, including its table
// statement, and for each worker pass. The commands wait until the stored items are loaded,
// so loaded rows and early registrations never replace one another.
class ScheduleStore {
public:
    using ServiceItems = std::map<qint32, ScheduleItem>;
    using Services = std::map<QString, ServiceItems>;

    static constexpr std::chrono::seconds defaultWaitCap{300};

    ScheduleStore(ScheduleDatabase& database, ScheduledCommandSender& sender,
                  std::chrono::seconds waitCap = defaultWaitCap);
    ~ScheduleStore(); // stops the worker
    ScheduleStore(const ScheduleStore&) = delete;
    ScheduleStore& operator=(const ScheduleStore&) = delete;

    // Adds the item under a new id (requestedId < 0) or replaces the item with that id.
    // Answers the item's id, or -2 when there is no item to replace.
    qint32 registerItem(const QString& serviceName, qint64 requestedId, ScheduleItem item);
    // Removes every item of the service, or the listed ones that exist.
    void unregister(const QString& serviceName, const ScheduleIdSelection& selection);
    // Copies of the selected items; nullopt when the service is unknown.
    std::optional<ServiceItems> items(const QString& serviceName,
                                      const ScheduleIdSelection& selection);

    // Reads the table back into the store (its rows replace items with the same service and
    // id) and lets waiting commands go on, whether the load succeeded or not.
    void load();
    // Lets waiting commands go on without loading (the service ends before its load).
    void skipLoad();
    bool isLoaded() const;
    void startWorker();

    // For the worker: the items, to be touched only with mutex() held.
    std::mutex& mutex() { return m_mutex; }
    Services& services() { return m_services; }

private:
    void waitUntilLoaded(std::unique_lock<std::mutex>& lock);
    void execute(const QString& statement);
    void markLoaded();

    ScheduleDatabase& m_database;
    mutable std::mutex m_mutex;
    std::condition_variable m_loadedCondition;
    bool m_loaded = false;
    Services m_services;
    std::unique_ptr<CVELMSchThread> m_worker;
};
