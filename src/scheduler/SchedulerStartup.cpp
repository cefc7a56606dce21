#include "scheduler/SchedulerStartup.h"

#include "scheduler/ScheduleStore.h"

SchedulerStartup::SchedulerStartup(ScheduleStore& store, std::chrono::milliseconds delay)
    : Thread(nullptr), m_store(store), m_delay(delay) {}

SchedulerStartup::~SchedulerStartup() {
    requestStop();
    wait();
}

void SchedulerStartup::run() {
    if (waitForStop(static_cast<int>(m_delay.count()))) {
        m_store.skipLoad();
        return;
    }
    m_store.load();
    m_store.startWorker();
}
