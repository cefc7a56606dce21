#pragma once

#include "VXNServiceFramework/threads/Thread.h"

#include <chrono>

class ScheduleStore;

// The scheduler's start-up thread: waits the start-up delay (the database service may not be
// up yet), loads the stored items and starts the worker. While the items could not be read it
// tries again after each retry interval, so that they fire in this run and permanent changes
// become possible again. Stopping it during the delay lets waiting commands go on without a
// load.
class SchedulerStartup : public Thread {
public:
    SchedulerStartup(ScheduleStore& store, std::chrono::milliseconds delay,
                     std::chrono::milliseconds retryInterval);
    ~SchedulerStartup() override;

protected:
    void run() override;

private:
    ScheduleStore& m_store;
    const std::chrono::milliseconds m_delay;
    const std::chrono::milliseconds m_retryInterval;
};
