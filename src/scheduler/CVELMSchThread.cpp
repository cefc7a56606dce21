#include "scheduler/CVELMSchThread.h"

#include "scheduler/CSendCommand.h"
#include "scheduler/CommandName.h"
#include "scheduler/NextRunTime.h"
#include "scheduler/ScheduleStore.h"

#include "VXNServiceFramework/app/Log.h"
#include "VXNServiceFramework/client/PeerCaller.h"

CVELMSchThread::CVELMSchThread(ScheduleStore& store, PeerCaller& peers,
                               std::chrono::seconds waitCap)
    : Thread(nullptr), m_store(store), m_peers(peers), m_waitCapSeconds(waitCap.count()) {}

CVELMSchThread::~CVELMSchThread() {
    stop();
    wait();
}

void CVELMSchThread::wake() {
    std::lock_guard lock(m_waitMutex);
    m_wakePending = true;
    m_waitCondition.notify_all();
}

void CVELMSchThread::stop() {
    std::lock_guard lock(m_waitMutex);
    m_stopRequested = true;
    m_waitCondition.notify_all();
}

void CVELMSchThread::run() {
    for (;;) {
        {
            std::lock_guard lock(m_waitMutex);
            if (m_stopRequested)
                return;
            // Changes made from here on are seen by this pass or set the flag again.
            m_wakePending = false;
        }
        const std::optional<QDateTime> next = pass();
        m_store.passEnded();
        const qint64 waitMs = waitBefore(next);
        std::unique_lock lock(m_waitMutex);
        const auto woken = [this] {
            return m_wakePending || m_stopRequested;
        };
        if (waitMs < 0)
            m_waitCondition.wait(lock, woken);
        else
            m_waitCondition.wait_for(lock, std::chrono::milliseconds(waitMs), woken);
    }
}

qint64 CVELMSchThread::waitBefore(const std::optional<QDateTime>& next) const {
    if (!next) {
        VELM_INFO << "Next schedule check: infinitive.";
        return -1;
    }
    VELM_INFO << "Next time: " << next->toString();
    // To the millisecond: an item fires no earlier than its time, so the wake must not come
    // before it either. A time in the past gets the capped wait.
    const qint64 diffMs = QDateTime::currentDateTime().msecsTo(*next);
    const qint64 capMs = qint64(m_waitCapSeconds) * 1000;
    const qint64 waitMs = diffMs >= 0 && diffMs <= capMs ? diffMs : capMs;
    VELM_INFO << "Next schedule check: " << waitMs << " ms.";
    return waitMs;
}

std::optional<QDateTime> CVELMSchThread::pass() {
    std::lock_guard lock(m_store.mutex());
    ScheduleStore::Services& services = m_store.services();
    if (services.empty())
        return std::nullopt;
    const QDateTime now = QDateTime::currentDateTime();
    VELM_INFO << "Now: " << now.toString();
    std::optional<QDateTime> earliest;
    for (auto& [serviceName, items] : services) {
        for (auto& [id, item] : items) {
            examine(item, now);
            if (item.nextTime && (!earliest || *earliest > *item.nextTime))
                earliest = item.nextTime;
        }
    }
    return earliest;
}

namespace {

// Seen from just after the time the item last fired for, so an item fired a little early (or
// a single run already fired) does not get the same time again on a later pass.
std::optional<QDateTime> nextRunAfterNow(const ScheduleItem& item) {
    QDateTime from = QDateTime::currentDateTime();
    if (item.firedFor)
        from = std::max(from, item.firedFor->addMSecs(1));
    return nextRunTime(item.startTime, item.intervalType, item.intervalValue, from);
}

} // namespace

void CVELMSchThread::examine(ScheduleItem& item, const QDateTime& now) {
    if (isEnded(item)) {
        item.nextTime.reset();
        return;
    }
    if (item.nextTime) {
        const QDateTime planned = *item.nextTime;
        const qint64 left = planned.toSecsSinceEpoch() - now.toSecsSinceEpoch();
        VELM_INFO << "Planned start time: " << planned.toString();
        VELM_INFO << "Next task time: " << planned.toString();
        VELM_INFO << "time left: " << quint32(left);
        // Due from its planned time on, never before: a report planned for Monday 00:00 that
        // ran on Sunday 23:59:57 would report the week before. A late pass still fires it
        // within the window.
        if (planned <= now && left > -firingWindowSeconds) {
            VELM_INFO << "Send command: " << item.commandToSend;
            fire(item);
            item.firedFor = planned;
            item.nextTime = nextRunAfterNow(item);
            return;
        }
        if (planned > now)
            return;
        // Missed (the clock jumped, or the pass came too late): keeping the past time would
        // leave the item waiting for it forever, so it goes on with its next run instead.
        VELM_WARNING << "Missed start time: " << planned.toString();
    }
    item.nextTime = nextRunAfterNow(item);
}

void CVELMSchThread::fire(const ScheduleItem& item) {
    const QString command = commandNameOf(item.commandToSend);
    if (command.isEmpty())
        return;
    m_peers.callAsync(std::make_unique<CSendCommand>(command, item.commandToSend));
}
