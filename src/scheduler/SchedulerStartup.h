#pragma once

#include "VXNServiceFramework/Thread.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

class ScheduleStore;

// The scheduler's start-up thread: waits the start-up delay (the database service may not be
// up yet), loads the stored items and starts the worker. Stopping it during the delay lets
// waiting commands go on without a load.
class SchedulerStartup : public Thread {
public:
    SchedulerStartup(ScheduleStore& store, std::chrono::milliseconds delay);
    ~SchedulerStartup() override;

    void stop();

protected:
    void run() override;

private:
    ScheduleStore& m_store;
    const std::chrono::milliseconds m_delay;
    std::mutex m_stopMutex;
    std::condition_variable m_stopCondition;
    bool m_stopRequested = false;
};
