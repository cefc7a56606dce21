#include "scheduler/VELMScheduler.h"

#include "scheduler/ScheduleDatabase.h"
#include "scheduler/ScheduledCommandSender.h"
#include "scheduler/SchedulerStartup.h"

#include "VXNServiceFramework/app/Log.h"

VELMScheduler::VELMScheduler(SchedulerSetup setup)
    : m_setup(std::move(setup)), m_store(std::make_unique<ScheduleStore>(
                                     *m_setup.database, *m_setup.sender, m_setup.waitCap)) {
    addHandler(QStringLiteral("SchRegister"), this, &VELMScheduler::registerItem);
    addHandler(QStringLiteral("SchUnregister"), this, &VELMScheduler::unregister);
    addHandler(QStringLiteral("SchGetEventsInfo"), this, &VELMScheduler::getEventsInfo);
    m_startup = std::make_unique<SchedulerStartup>(*m_store, m_setup.loadDelay);
    m_startup->start();
}

VELMScheduler::~VELMScheduler() {
    // The start-up thread first: it may still be about to start the worker.
    m_startup.reset();
    m_store.reset();
}

std::unique_ptr<CmdSchRegisterResponse>
VELMScheduler::registerItem(CmdSchRegisterRequest& request) {
    const ScheduleItem& item = request.item;
    VELM_INFO << "CmdSchRegister: Service= " << request.serviceName;
    VELM_INFO << " Starttime = " << secondsOf(item.startTime);
    VELM_INFO << " Stoptime = " << secondsOf(item.stopTime);
    VELM_INFO << " IntervalType = " << item.intervalType;
    VELM_INFO << " IntervalValue = " << item.intervalValue;
    VELM_INFO << " ScheduleID = " << request.scheduleId;
    VELM_INFO << " Tag = " << item.tag;
    VELM_INFO << " CommandToSend = " << item.commandToSend;
    VELM_INFO << " Permanent = " << (item.permanent ? "1" : "0");

    auto response = std::make_unique<CmdSchRegisterResponse>();
    response->scheduleId = m_store->registerItem(request.serviceName, request.scheduleId, item);
    VELM_INFO << " return = " << response->scheduleId;
    return response;
}

std::unique_ptr<CmdSchUnregisterResponse>
VELMScheduler::unregister(CmdSchUnregisterRequest& request) {
    VELM_INFO << "CmdSchUnregister: ServiceName = " << request.serviceName;
    if (request.selection.all)
        VELM_INFO << "CmdSchUnregister: DeleteAll" << request.serviceName;
    m_store->unregister(request.serviceName, request.selection);
    return std::make_unique<CmdSchUnregisterResponse>();
}

std::unique_ptr<CmdSchGetEventsInfoResponse>
VELMScheduler::getEventsInfo(CmdSchGetEventsInfoRequest& request) {
    VELM_INFO << "CmdSchGetEventsInfo";
    auto response = std::make_unique<CmdSchGetEventsInfoResponse>();
    if (auto items = m_store->items(request.serviceName, request.selection)) {
        response->serviceName = request.serviceName;
        response->items = std::move(*items);
    }
    if (response->items.empty())
        response->setResult(-1, QStringLiteral("Invalid ID(s)"));
    return response;
}
