#pragma once

#include "scheduler/CmdSchIdList.h"
#include "scheduler/ScheduleItem.h"
#include "scheduler/ScheduleTable.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>

class CVELMSchThread;
class PeerCaller;

// The schedule items of all services (service name -> id -> item, both ascending), their rows
// in the Scheduler table, and the worker thread that fires them.
//
// One mutex guards the items and is never held across a call to the database service: a
// permanent change marks its row busy, writes it without the lock, and changes the items only
// once the row was written, so a failed write leaves them as they were. Commands on a busy row
// wait for it; everything else (reads, other rows, items that are not permanent, the worker's
// passes) goes on from memory.
//
// Changes wait until the first load of the table has ended, so loaded rows and early
// registrations never replace one another; reads wait for it only as long as their caller
// asks (a list made before it would lack the stored items). While the table could not be read,
// permanent changes are refused: written blind they could duplicate or hide stored rows.
class ScheduleStore {
public:
    using ServiceItems = std::map<qint32, ScheduleItem>;
    using Services = std::map<QString, ServiceItems>;

    static constexpr std::chrono::seconds defaultWaitCap{300};

    // The outcome of a change: Result 0, or why the table was not changed.
    struct Outcome {
        int result = 0;
        QString details;
        bool ok() const { return result == 0; }
    };
    struct Registration {
        // The item's id, or SchedulerResult::UnknownScheduleId; -1 when not stored.
        qint32 scheduleId = -1;
        Outcome outcome;
    };

    explicit ScheduleStore(PeerCaller& peers, std::chrono::seconds waitCap = defaultWaitCap);
    ~ScheduleStore(); // stops the worker
    ScheduleStore(const ScheduleStore&) = delete;
    ScheduleStore& operator=(const ScheduleStore&) = delete;

    // Adds the item under a new id (requestedId < 0) or replaces the item with that id.
    Registration registerItem(const QString& serviceName, qint64 requestedId, ScheduleItem item);
    // Removes every item of the service, or the listed ones that exist. Items whose row could
    // not be deleted stay, and the outcome names them.
    Outcome unregister(const QString& serviceName, const ScheduleIdSelection& selection);
    // Copies of the selected items; nullopt when the service is unknown. Never waits.
    std::optional<ServiceItems> items(const QString& serviceName,
                                      const ScheduleIdSelection& selection) const;

    // Reads the table into the store and lets waiting commands go on, whether it succeeded or
    // not; true when the rows were read. Rows whose service and id an item registered meanwhile
    // already holds are left in the table.
    bool load();
    // Lets waiting commands go on without loading (the service ends before its load).
    void skipLoad();
    // The table's rows have been read.
    bool isLoaded() const;
    // Waits up to `cap` for the first load attempt to end and, when it read the rows, for the
    // worker's first pass to give them their next runs; true when the rows have been read.
    bool waitForStoredItems(std::chrono::milliseconds cap) const;
    // The worker ended a pass: every item has its next run.
    void passEnded();
    static const QString& notLoadedReadText();
    void startWorker();

    // For the worker: the items, to be touched only with mutex() held.
    std::mutex& mutex() { return m_mutex; }
    Services& services() { return m_services; }

private:
    using Lock = std::unique_lock<std::mutex>;

    void waitUntilReady(Lock& lock);
    void waitWhileBusy(Lock& lock, const QString& serviceName, qint32 id);
    bool isBusy(const QString& serviceName, qint32 id) const;
    // Runs `statement` for the row (service, id) without the lock, the row marked busy.
    ScheduleQueryAnswer writeRow(Lock& lock, const QString& serviceName, qint32 id,
                                 const QString& statement);
    qint32 nextFreeId(const QString& serviceName, const ServiceItems& items) const;
    Registration store(const QString& serviceName, ScheduleItem item, const QString& statement,
                       Lock& lock);
    // Removes one item (and its row); false when its row could not be deleted.
    bool remove(const QString& serviceName, qint32 id, Lock& lock, QString& failure);
    void markReady();

    PeerCaller& m_peers;
    mutable std::mutex m_mutex;
    // A load attempt ended, a busy row was freed.
    mutable std::condition_variable m_changed;
    bool m_ready = false;
    bool m_loaded = false;
    bool m_passedSinceReady = false;
    Services m_services;
    std::map<QString, std::set<qint32>> m_busy;
    // Ids of new rows whose insert got no answer: the database may still write the row later,
    // so the id is never handed out again.
    std::map<QString, std::set<qint32>> m_uncertain;
    std::unique_ptr<CVELMSchThread> m_worker;
};
