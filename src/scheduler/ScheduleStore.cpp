#include "scheduler/ScheduleStore.h"

#include "scheduler/CVELMSchThread.h"
#include "scheduler/ScheduleDatabase.h"
#include "scheduler/ScheduleSql.h"

#include "VXNServiceFramework/app/Log.h"

#include <limits>

namespace {

// One past the largest id, or the lowest free id once the largest is the highest possible.
qint32 nextFreeId(const ScheduleStore::ServiceItems& items) {
    if (items.empty())
        return 0;
    const qint32 largest = items.rbegin()->first;
    if (largest < std::numeric_limits<qint32>::max())
        return largest + 1;
    qint32 id = 0;
    for (const auto& entry : items) {
        if (entry.first != id)
            break;
        ++id;
    }
    return id;
}

} // namespace

ScheduleStore::ScheduleStore(ScheduleDatabase& database, ScheduledCommandSender& sender,
                             std::chrono::seconds waitCap)
    : m_database(database), m_worker(std::make_unique<CVELMSchThread>(*this, sender, waitCap)) {}

ScheduleStore::~ScheduleStore() {
    m_worker->stop();
    m_worker->wait();
}

void ScheduleStore::waitUntilLoaded(std::unique_lock<std::mutex>& lock) {
    m_loadedCondition.wait(lock, [this] { return m_loaded; });
}

void ScheduleStore::execute(const QString& statement) {
    const ScheduleQueryAnswer answer = m_database.run(statement);
    // The item in memory stays changed either way.
    if (answer.result != 0)
        VELM_WARNING << "Scheduler table not updated: " << answer.result << " " << answer.details;
}

qint32 ScheduleStore::registerItem(const QString& serviceName, qint64 requestedId,
                                   ScheduleItem item) {
    item.nextTime.reset();
    std::unique_lock lock(m_mutex);
    waitUntilLoaded(lock);
    ServiceItems& serviceItems = m_services[serviceName];
    if (requestedId < 0) {
        item.scheduleId = nextFreeId(serviceItems);
        if (item.permanent)
            execute(insertStatement(serviceName, item));
    } else {
        const auto found = requestedId > std::numeric_limits<qint32>::max()
                               ? serviceItems.end()
                               : serviceItems.find(qint32(requestedId));
        if (found == serviceItems.end())
            return -2;
        item.scheduleId = qint32(requestedId);
        if (!item.permanent)
            execute(deleteStatement(serviceName, item.scheduleId));
        else if (found->second.permanent)
            execute(updateStatement(serviceName, item));
        else // the replaced item had no row: a permanent item is always stored
            execute(insertStatement(serviceName, item));
    }
    const qint32 id = item.scheduleId;
    serviceItems[id] = std::move(item);
    m_worker->wake();
    return id;
}

void ScheduleStore::unregister(const QString& serviceName, const ScheduleIdSelection& selection) {
    std::unique_lock lock(m_mutex);
    waitUntilLoaded(lock);
    const auto service = m_services.find(serviceName);
    if (service == m_services.end())
        return;
    ServiceItems& serviceItems = service->second;
    if (selection.all) {
        for (const auto& [id, item] : serviceItems) {
            if (item.permanent)
                execute(deleteStatement(serviceName, id));
        }
        serviceItems.clear();
        m_worker->wake();
        return;
    }
    for (qint32 id : selection.ids) {
        const auto found = serviceItems.find(id);
        if (found == serviceItems.end())
            continue;
        if (found->second.permanent)
            execute(deleteStatement(serviceName, id));
        serviceItems.erase(found);
        m_worker->wake();
    }
}

std::optional<ScheduleStore::ServiceItems>
ScheduleStore::items(const QString& serviceName, const ScheduleIdSelection& selection) {
    std::unique_lock lock(m_mutex);
    waitUntilLoaded(lock);
    const auto service = m_services.find(serviceName);
    if (service == m_services.end())
        return std::nullopt;
    if (selection.all)
        return service->second;
    ServiceItems copies;
    for (qint32 id : selection.ids) {
        const auto found = service->second.find(id);
        if (found != service->second.end())
            copies.insert(*found);
    }
    return copies;
}

void ScheduleStore::load() {
    std::lock_guard lock(m_mutex);
    const ScheduleQueryAnswer answer = m_database.run(loadStatement());
    if (answer.result == 0) {
        int count = 0;
        for (const SqlRow& row : answer.rows) {
            std::optional<LoadedItem> loaded = itemFromRow(row);
            if (!loaded)
                continue;
            m_services[loaded->serviceName][loaded->item.scheduleId] = std::move(loaded->item);
            ++count;
        }
        VELM_INFO << "Events loaded: " << count;
    } else {
        VELM_WARNING << "Scheduler table not loaded: " << answer.result << " " << answer.details;
    }
    markLoaded();
}

void ScheduleStore::skipLoad() {
    std::lock_guard lock(m_mutex);
    markLoaded();
}

void ScheduleStore::markLoaded() {
    m_loaded = true;
    m_loadedCondition.notify_all();
    m_worker->wake();
}

bool ScheduleStore::isLoaded() const {
    std::lock_guard lock(m_mutex);
    return m_loaded;
}

void ScheduleStore::startWorker() {
    m_worker->start();
}
