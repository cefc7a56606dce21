#include "scheduler/VELMScheduler.h"

#include "scheduler/SchedulerResults.h"
#include "scheduler/SchedulerStartup.h"

#include "VXNServiceFramework/app/Log.h"

namespace {

// How long a list waits for the first load of the stored items: the start-up delay and an
// answering database take a few seconds; a database that does not answer takes its retries.
constexpr std::chrono::seconds firstLoadWaitForReads{15};

// Why a registration is refused before the store sees it; empty when it is not.
QString refusal(const CmdSchRegisterRequest& request) {
    // An item without a service could never be loaded again, nor named by a later command.
    if (request.serviceName.isEmpty())
        return QStringLiteral("ServiceName is empty");
    if (!request.hasValidScheduleId())
        return QStringLiteral("ScheduleID is not a decimal integer in range: ") +
               request.invalidScheduleId;
    if (!request.unreadableNumber.isEmpty())
        return request.unreadableNumber + QStringLiteral(" is not a number in range");
    return {};
}

} // namespace

VELMScheduler::VELMScheduler(PeerCaller& peers, SchedulerTimings timings)
    : m_store(std::make_unique<ScheduleStore>(peers, timings.waitCap)) {
    addHandler(QStringLiteral("SchRegister"), this, &VELMScheduler::registerItem);
    addHandler(QStringLiteral("SchUnregister"), this, &VELMScheduler::unregister);
    addHandler(QStringLiteral("SchGetEventsInfo"), this, &VELMScheduler::getEventsInfo);
    m_startup =
        std::make_unique<SchedulerStartup>(*m_store, timings.loadDelay, timings.loadRetryInterval);
    m_startup->start();
}

VELMScheduler::~VELMScheduler() {
    // The start-up thread first: it may still be about to start the worker.
    m_startup.reset();
    m_store.reset();
}

std::unique_ptr<CmdSchRegisterResponse>
VELMScheduler::registerItem(CmdSchRegisterRequest& request) {
    // Registration makes the interval at least 1 for every caller: an in-process request (the
    // template commands) arrives as it was built, without the reading that does it for a
    // request from the wire. A 0 would leave a recurring item without a next run.
    if (request.item.intervalValue <= 0)
        request.item.intervalValue = 1;
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
    if (const QString refused = refusal(request); !refused.isEmpty()) {
        VELM_WARNING << "CmdSchRegister refused: " << refused;
        response->setResult(SchedulerResult::InvalidRequest, refused);
        return response;
    }
    const ScheduleStore::Registration registration =
        m_store->registerItem(request.serviceName, request.scheduleId, item);
    response->scheduleId = registration.scheduleId;
    if (!registration.outcome.ok())
        response->setResult(registration.outcome.result, registration.outcome.details);
    VELM_INFO << " return = " << response->scheduleId;
    return response;
}

std::unique_ptr<CmdSchUnregisterResponse>
VELMScheduler::unregister(CmdSchUnregisterRequest& request) {
    VELM_INFO << "CmdSchUnregister: ServiceName = " << request.serviceName;
    if (request.selection.all)
        VELM_INFO << "CmdSchUnregister: DeleteAll" << request.serviceName;
    auto response = std::make_unique<CmdSchUnregisterResponse>();
    const ScheduleStore::Outcome outcome =
        m_store->unregister(request.serviceName, request.selection);
    if (!outcome.ok())
        response->setResult(outcome.result, outcome.details);
    return response;
}

std::unique_ptr<CmdSchGetEventsInfoResponse>
VELMScheduler::getEventsInfo(CmdSchGetEventsInfoRequest& request) {
    VELM_INFO << "CmdSchGetEventsInfo";
    auto response = std::make_unique<CmdSchGetEventsInfoResponse>();
    // An empty list would tell the caller there are no items, stored ones included. A list
    // asked for in the first seconds after a start waits for the stored items and their next
    // runs.
    if (!m_store->waitForStoredItems(firstLoadWaitForReads)) {
        response->setResult(SchedulerResult::NotStored, ScheduleStore::notLoadedReadText());
        return response;
    }
    if (auto items = m_store->items(request.serviceName, request.selection)) {
        response->serviceName = request.serviceName;
        response->items = std::move(*items);
    }
    if (response->items.empty())
        response->setResult(SchedulerResult::InvalidIds, SchedulerResult::invalidIdsText);
    return response;
}
