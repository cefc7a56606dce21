#include "scheduler/SchedulerStartup.h"

#include "scheduler/ScheduleStore.h"

SchedulerStartup::SchedulerStartup(ScheduleStore& store, std::chrono::milliseconds delay)
    : Thread(nullptr), m_store(store), m_delay(delay) {}

SchedulerStartup::~SchedulerStartup() {
    stop();
    wait();
}

void SchedulerStartup::stop() {
    std::lock_guard lock(m_stopMutex);
    m_stopRequested = true;
    m_stopCondition.notify_all();
}

void SchedulerStartup::run() {
    bool stopped = false;
    {
        std::unique_lock lock(m_stopMutex);
        stopped = m_stopCondition.wait_for(lock, m_delay, [this] { return m_stopRequested; });
    }
    if (stopped) {
        m_store.skipLoad();
        return;
    }
    m_store.load();
    m_store.startWorker();
}
