#include "scheduler/SchedulerStartup.h"

#include "scheduler/ScheduleStore.h"

SchedulerStartup::SchedulerStartup(ScheduleStore& store, std::chrono::milliseconds delay,
                                   std::chrono::milliseconds retryInterval)
    : Thread(nullptr), m_store(store), m_delay(delay), m_retryInterval(retryInterval) {}

SchedulerStartup::~SchedulerStartup() {
    requestStop();
    wait();
}

void SchedulerStartup::run() {
    if (waitForStop(static_cast<int>(m_delay.count()))) {
        m_store.skipLoad();
        return;
    }
    bool loaded = m_store.load();
    m_store.startWorker();
    while (!loaded && !waitForStop(static_cast<int>(m_retryInterval.count())))
        loaded = m_store.load();
}
