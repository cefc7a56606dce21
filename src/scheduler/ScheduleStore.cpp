#include "scheduler/ScheduleStore.h"

#include "scheduler/CVELMSchThread.h"
#include "scheduler/ScheduleSql.h"
#include "scheduler/SchedulerResults.h"

#include "VXNServiceFramework/app/Log.h"
#include "VXNServiceFramework/packets/ResultCodes.h"

#include <QStringList>
#include <limits>

namespace {

const QString notLoadedPrefix =
    QStringLiteral("The stored schedule items could not be read from the database yet; ");
const QString notLoadedText =
    notLoadedPrefix + QStringLiteral("permanent items cannot be changed until they are");

ScheduleStore::Outcome notStored(const QString& details) {
    return {SchedulerResult::NotStored, details};
}

// Failures in which the database service gave no answer of its own: the table may be fine.
bool unanswered(int result) {
    return result == ResultCode::ConnectionFailed || result == ResultCode::UnknownCommand ||
           result == ResultCode::ServicePaused || result == ResultCode::CommunicationFailed ||
           result == ResultCode::WrongResponseFormat;
}

// Failures after the statement went out: the database may have run it all the same.
bool outcomeUnknown(int result) {
    return result == ResultCode::CommunicationFailed || result == ResultCode::WrongResponseFormat;
}

// The table read row by row, after the database service refused to answer it as a whole (a
// damaged row holding a character XML cannot carry, say): rows it refuses are left out and
// named in the log, so that one row does not keep every other item from loading. The first
// failure again when the rows cannot be listed or the service stops answering.
ScheduleQueryAnswer loadRowByRow(PeerCaller& peers, const ScheduleQueryAnswer& failed) {
    const ScheduleQueryAnswer keys = runScheduleStatement(peers, rowKeysStatement());
    if (!keys.ok())
        return failed;
    ScheduleQueryAnswer loaded;
    for (const SqlRow& key : keys.rows) {
        bool isNumber = false;
        const qint64 globalId = key.value(QStringLiteral("GlobalID")).toLongLong(&isNumber);
        if (!isNumber)
            continue;
        const ScheduleQueryAnswer row = runScheduleStatement(peers, loadRowStatement(globalId));
        if (unanswered(row.result))
            return failed;
        if (!row.ok()) {
            VELM_WARNING << "Stored item not loaded, its row (GlobalID " << globalId
                         << ") cannot be read: " << row.result << " " << row.details;
            continue;
        }
        loaded.rows += row.rows;
    }
    return loaded;
}

} // namespace

ScheduleStore::ScheduleStore(PeerCaller& peers, std::chrono::seconds waitCap)
    : m_peers(peers), m_worker(std::make_unique<CVELMSchThread>(*this, peers, waitCap)) {}

ScheduleStore::~ScheduleStore() {
    m_worker->stop();
    m_worker->wait();
}

void ScheduleStore::waitUntilReady(Lock& lock) {
    m_changed.wait(lock, [this] { return m_ready; });
}

bool ScheduleStore::isBusy(const QString& serviceName, qint32 id) const {
    const auto service = m_busy.find(serviceName);
    return service != m_busy.end() && service->second.count(id) != 0;
}

void ScheduleStore::waitWhileBusy(Lock& lock, const QString& serviceName, qint32 id) {
    m_changed.wait(lock, [&] { return !isBusy(serviceName, id); });
}

ScheduleQueryAnswer ScheduleStore::writeRow(Lock& lock, const QString& serviceName, qint32 id,
                                            const QString& statement) {
    m_busy[serviceName].insert(id);
    // Frees the row and wakes its waiters however the call ends.
    struct Release {
        ScheduleStore& store;
        Lock& lock;
        const QString& serviceName;
        qint32 id;
        ~Release() {
            lock.lock();
            const auto service = store.m_busy.find(serviceName);
            service->second.erase(id);
            if (service->second.empty())
                store.m_busy.erase(service);
            store.m_changed.notify_all();
        }
    } release{*this, lock, serviceName, id};
    lock.unlock();
    return runScheduleStatement(m_peers, statement);
}

qint32 ScheduleStore::nextFreeId(const QString& serviceName, const ServiceItems& items) const {
    // Ids whose new row is being written, or may yet be, are taken too.
    static const std::set<qint32> none;
    const auto idsOf = [&](const std::map<QString, std::set<qint32>>& ids) -> const auto& {
        const auto found = ids.find(serviceName);
        return found == ids.end() ? none : found->second;
    };
    const std::set<qint32>& reserved = idsOf(m_busy);
    const std::set<qint32>& uncertain = idsOf(m_uncertain);
    const auto taken = [&](qint32 id) {
        return items.count(id) != 0 || reserved.count(id) != 0 || uncertain.count(id) != 0;
    };
    qint32 largest = -1;
    if (!items.empty())
        largest = items.rbegin()->first;
    for (const std::set<qint32>* ids : {&reserved, &uncertain}) {
        if (!ids->empty())
            largest = std::max(largest, *ids->rbegin());
    }
    if (largest < std::numeric_limits<qint32>::max())
        return std::max(largest + 1, 0);
    // The largest id is the highest possible: the lowest free one instead.
    qint32 id = 0;
    while (taken(id))
        ++id;
    return id;
}

ScheduleStore::Registration ScheduleStore::registerItem(const QString& serviceName,
                                                        qint64 requestedId, ScheduleItem item) {
    item.nextTime.reset();
    Lock lock(m_mutex);
    waitUntilReady(lock);
    ServiceItems& serviceItems = m_services[serviceName];
    QString statement;
    if (requestedId < 0) {
        item.scheduleId = nextFreeId(serviceName, serviceItems);
        if (item.permanent)
            statement = insertStatement(serviceName, item);
        return store(serviceName, std::move(item), statement, lock);
    }
    if (requestedId > std::numeric_limits<qint32>::max())
        return {SchedulerResult::UnknownScheduleId, {}};
    item.scheduleId = qint32(requestedId);
    waitWhileBusy(lock, serviceName, item.scheduleId);
    const auto found = serviceItems.find(item.scheduleId);
    if (found == serviceItems.end())
        return {SchedulerResult::UnknownScheduleId, {}};
    if (item.permanent) {
        // The replaced item had no row when it was not permanent: insert rather than update.
        statement = found->second.permanent ? updateStatement(serviceName, item)
                                            : insertStatement(serviceName, item);
    } else if (found->second.permanent) {
        statement = deleteStatement(serviceName, item.scheduleId);
    }
    return store(serviceName, std::move(item), statement, lock);
}

ScheduleStore::Registration ScheduleStore::store(const QString& serviceName, ScheduleItem item,
                                                 const QString& statement, Lock& lock) {
    const qint32 id = item.scheduleId;
    if (!statement.isEmpty()) {
        if (!m_loaded)
            return {-1, notStored(notLoadedText)};
        const bool isNew = m_services[serviceName].count(id) == 0;
        const ScheduleQueryAnswer answer = writeRow(lock, serviceName, id, statement);
        if (!answer.ok()) {
            VELM_WARNING << "Scheduler table not updated: " << answer.result << " "
                         << answer.details;
            if (!outcomeUnknown(answer.result))
                return {-1, notStored(QStringLiteral("Schedule item not saved in the database: ") +
                                      answer.details)};
            if (isNew)
                m_uncertain[serviceName].insert(id);
            return {-1, notStored(QStringLiteral("Schedule item not saved: the database did not "
                                                 "answer and may still write it (a later list "
                                                 "shows it then): ") +
                                  answer.details)};
        }
    }
    m_services[serviceName][id] = std::move(item);
    m_worker->wake();
    return {id, {}};
}

ScheduleStore::Outcome ScheduleStore::unregister(const QString& serviceName,
                                                 const ScheduleIdSelection& selection) {
    Lock lock(m_mutex);
    waitUntilReady(lock);
    const auto service = m_services.find(serviceName);
    if (service == m_services.end())
        return {};
    QList<qint32> ids = selection.ids;
    if (selection.all) {
        ids.clear();
        for (const auto& entry : service->second)
            ids.append(entry.first);
    }
    QStringList kept;
    QString failure;
    for (qint32 id : std::as_const(ids)) {
        if (!remove(serviceName, id, lock, failure))
            kept.append(QString::number(id));
    }
    if (kept.isEmpty())
        return {};
    return notStored(QStringLiteral("Schedule item(s) %1 not removed from the database: %2")
                         .arg(kept.join(QStringLiteral(", ")), failure));
}

bool ScheduleStore::remove(const QString& serviceName, qint32 id, Lock& lock, QString& failure) {
    waitWhileBusy(lock, serviceName, id);
    ServiceItems& serviceItems = m_services[serviceName];
    auto found = serviceItems.find(id);
    if (found == serviceItems.end())
        return true;
    if (found->second.permanent) {
        const ScheduleQueryAnswer answer =
            writeRow(lock, serviceName, id, deleteStatement(serviceName, id));
        if (!answer.ok()) {
            VELM_WARNING << "Scheduler table not updated: " << answer.result << " "
                         << answer.details;
            failure = answer.details;
            return false;
        }
        found = serviceItems.find(id);
        if (found == serviceItems.end())
            return true;
    }
    serviceItems.erase(found);
    m_worker->wake();
    return true;
}

std::optional<ScheduleStore::ServiceItems>
ScheduleStore::items(const QString& serviceName, const ScheduleIdSelection& selection) const {
    std::lock_guard lock(m_mutex);
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

bool ScheduleStore::load() {
    ScheduleQueryAnswer answer = runScheduleStatement(m_peers, loadStatement());
    if (!answer.ok() && !unanswered(answer.result))
        answer = loadRowByRow(m_peers, answer);
    std::lock_guard lock(m_mutex);
    if (!answer.ok()) {
        VELM_WARNING << "Scheduler table not loaded: " << answer.result << " " << answer.details;
        markReady();
        return false;
    }
    // A later row with the same service and id wins; every row is counted.
    Services loaded;
    int count = 0;
    for (const SqlRow& row : answer.rows) {
        if (!hasItemId(row)) {
            VELM_WARNING << "Stored item not loaded, its ScheduleID is no item id: "
                         << row.value(QStringLiteral("ServiceName")) << " \""
                         << row.value(QStringLiteral("ScheduleID")) << "\" (GlobalID "
                         << row.value(QStringLiteral("GlobalID")) << ")";
            continue;
        }
        std::optional<LoadedItem> item = itemFromRow(row);
        if (!item)
            continue;
        loaded[item->serviceName][item->item.scheduleId] = std::move(item->item);
        ++count;
    }
    for (auto& [serviceName, loadedItems] : loaded) {
        ServiceItems& serviceItems = m_services[serviceName];
        for (auto& [id, item] : loadedItems) {
            // Only a load that comes late (the first one failed) can meet an item registered
            // meanwhile: that item keeps its id, and the row stays in the table.
            if (serviceItems.count(id) != 0) {
                VELM_WARNING << "Stored item not loaded, its id is taken: " << serviceName << " "
                             << id;
                continue;
            }
            serviceItems.emplace(id, std::move(item));
        }
    }
    m_loaded = true;
    VELM_INFO << "Events loaded: " << count;
    markReady();
    return true;
}

void ScheduleStore::skipLoad() {
    std::lock_guard lock(m_mutex);
    markReady();
}

void ScheduleStore::markReady() {
    m_ready = true;
    m_changed.notify_all();
    m_worker->wake();
}

bool ScheduleStore::isLoaded() const {
    std::lock_guard lock(m_mutex);
    return m_loaded;
}

bool ScheduleStore::waitForStoredItems(std::chrono::milliseconds cap) const {
    Lock lock(m_mutex);
    m_changed.wait_for(lock, cap, [this] { return m_ready && (m_passedSinceReady || !m_loaded); });
    return m_loaded;
}

void ScheduleStore::passEnded() {
    std::lock_guard lock(m_mutex);
    if (m_ready && !m_passedSinceReady) {
        m_passedSinceReady = true;
        m_changed.notify_all();
    }
}

const QString& ScheduleStore::notLoadedReadText() {
    static const QString text = notLoadedPrefix + QStringLiteral("the list would lack them");
    return text;
}

void ScheduleStore::startWorker() {
    m_worker->start();
}
