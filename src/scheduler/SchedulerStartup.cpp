#include "scheduler/SchedulerStartup.h"

#include "scheduler/ScheduleStore.h"

#include <QDeadlineTimer>

SchedulerStartup::SchedulerStartup(ScheduleStore& store, std::chrono::milliseconds delay)
    : Thread(nullptr), m_store(store), m_delay(delay) {}

SchedulerStartup::~SchedulerStartup() {
    stop();
    wait();
}

void SchedulerStartup::stop() {
    QMutexLocker lock(&m_stopMutex);
    m_stopRequested = true;
    m_stopCondition.wakeAll();
}

void SchedulerStartup::run() {
    {
        QMutexLocker lock(&m_stopMutex);
        const QDeadlineTimer deadline(m_delay.count());
        while (!m_stopRequested && !deadline.hasExpired())
            m_stopCondition.wait(&m_stopMutex, deadline);
        if (m_stopRequested) {
            lock.unlock();
            m_store.skipLoad();
            return;
        }
    }
    m_store.load();
    m_store.startWorker();
}
