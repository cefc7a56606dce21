#pragma once

#include "scheduler/CmdSchGetEventsInfoResponse.h"
#include "scheduler/CmdSchIdList.h"
#include "scheduler/CmdSchRegister.h"
#include "scheduler/ScheduleStore.h"

#include "VXNServiceFramework/dispatch/Service.h"

#include <chrono>
#include <memory>

class PeerCaller;
class SchedulerStartup;

// The scheduler's waits; production keeps the defaults.
struct SchedulerTimings {
    // From creation to the load of the stored items (the database service may start later).
    std::chrono::milliseconds loadDelay{5000};
    // Between further loads while the stored items could not be read.
    std::chrono::milliseconds loadRetryInterval{60000};
    // The longest sleep of the worker between passes.
    std::chrono::seconds waitCap = ScheduleStore::defaultWaitCap;
};

// The "Scheduler" service: keeps schedule items and sends their commands at the planned times.
// `peers` (the database service for the Scheduler table, the targets of fired commands) must
// outlive it.
class VELMScheduler : public Service {
public:
    explicit VELMScheduler(PeerCaller& peers, SchedulerTimings timings = {});
    ~VELMScheduler() override;

    std::unique_ptr<CmdSchRegisterResponse> registerItem(CmdSchRegisterRequest& request);
    std::unique_ptr<CmdSchUnregisterResponse> unregister(CmdSchUnregisterRequest& request);
    std::unique_ptr<CmdSchGetEventsInfoResponse> getEventsInfo(CmdSchGetEventsInfoRequest& request);

    ScheduleStore& store() { return *m_store; }

private:
    std::unique_ptr<ScheduleStore> m_store;
    std::unique_ptr<SchedulerStartup> m_startup;
};
