#pragma once

#include "scheduler/CmdSchGetEventsInfoResponse.h"
#include "scheduler/CmdSchIdList.h"
#include "scheduler/CmdSchRegister.h"
#include "scheduler/ScheduleStore.h"

#include "VXNServiceFramework/dispatch/Service.h"

#include <chrono>
#include <memory>

class ScheduleDatabase;
class ScheduledCommandSender;
class SchedulerStartup;

// What the scheduler talks to, and its timings.
struct SchedulerSetup {
    // The database service and the targets of fired commands.
    std::shared_ptr<ScheduleDatabase> database;
    std::shared_ptr<ScheduledCommandSender> sender;
    // From creation to the load of the stored items.
    std::chrono::milliseconds loadDelay{5000};
    // The longest sleep of the worker between passes.
    std::chrono::seconds waitCap = ScheduleStore::defaultWaitCap;

    // The database service and the targets reached through the process's service client.
    static SchedulerSetup standard();
};

// The "Scheduler" service: keeps schedule items and sends their commands at the planned times.
class VELMScheduler : public Service {
public:
    VELMScheduler();
    explicit VELMScheduler(SchedulerSetup setup);
    ~VELMScheduler() override;

    std::unique_ptr<CmdSchRegisterResponse> registerItem(CmdSchRegisterRequest& request);
    std::unique_ptr<CmdSchUnregisterResponse> unregister(CmdSchUnregisterRequest& request);
    std::unique_ptr<CmdSchGetEventsInfoResponse> getEventsInfo(CmdSchGetEventsInfoRequest& request);

    ScheduleStore& store() { return *m_store; }

private:
    SchedulerSetup m_setup;
    std::unique_ptr<ScheduleStore> m_store;
    std::unique_ptr<SchedulerStartup> m_startup;
};
