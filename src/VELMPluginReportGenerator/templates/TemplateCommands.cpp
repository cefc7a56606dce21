#include "VELMPluginReportGenerator/templates/TemplateCommands.h"

#include "VELMPluginReportGenerator/report/ReportResult.h"
#include "VELMPluginReportGenerator/templates/StoredTemplate.h"
#include "VELMPluginReportGenerator/templates/TemplateResult.h"
#include "VELMPluginReportGenerator/templates/TemplateXml.h"

#include "scheduler/CmdSchGetEventsInfoResponse.h"
#include "scheduler/CmdSchIdList.h"
#include "scheduler/SchedulerResults.h"

#include "VXNServiceFramework/client/PeerCaller.h"
#include "VXNServiceFramework/packets/ResultCodes.h"

namespace {

// The ScheduleID that has the scheduler assign a new one.
constexpr qint32 newTemplate = -1;

template <class Response> std::unique_ptr<Response> answer(int code, const QString& details) {
    auto response = std::make_unique<Response>();
    response->setResult(code, details);
    return response;
}

template <class Response> std::unique_ptr<Response> invalidTemplateId() {
    return answer<Response>(ReportResult::InvalidTemplateId, ReportResult::invalidTemplateIdText);
}

// A schedule stored as read would run at another time than the one written, or never.
template <class Response> std::unique_ptr<Response> unplannable(const QString& why) {
    return answer<Response>(ResultCode::WrongRequestFormat, ResultText::wrongRequestPrefix + why);
}

// A store without templates answers "Invalid ID(s)": no templates, not a failure.
bool readable(const CmdSchGetEventsInfoResponse& stored) {
    return stored.result() == ResultCode::Ok || stored.result() == SchedulerResult::InvalidIds;
}

// Whether a template other than `self` has `name`. A stored command that is no template has no
// name and conflicts with none.
bool nameTaken(const CmdSchGetEventsInfoResponse& stored, const QString& name,
               std::optional<qint32> self) {
    const QString key = TemplateNameReservations::keyOf(name);
    for (const auto& [id, item] : stored.items) {
        if (id == self)
            continue;
        const QString other = storedTemplate::fromCommandText(item.commandToSend).name;
        if (!other.isEmpty() && TemplateNameReservations::keyOf(other) == key)
            return true;
    }
    return false;
}

} // namespace

std::unique_ptr<CmdSchGetEventsInfoResponse>
TemplateCommands::storedTemplates(std::optional<qint32> id) {
    CmdSchGetEventsInfoRequest request;
    request.serviceName = storedTemplate::serviceName;
    if (id)
        request.selection.ids = {*id};
    else
        request.selection.all = true;
    return m_caller.call<CmdSchGetEventsInfoResponse>(request);
}

std::unique_ptr<CmdSchRegisterResponse> TemplateCommands::store(const ReportTemplate& record,
                                                                qint32 scheduleId) {
    const auto request =
        storedTemplate::registration(record, scheduleId, QDateTime::currentDateTime());
    return m_caller.call<CmdSchRegisterResponse>(*request);
}

std::unique_ptr<CCmdRGAddTemplateResponse>
TemplateCommands::addTemplate(CCmdRGAddReportTemplateRequest& request) {
    if (!request.unplannableSchedule.isEmpty())
        return unplannable<CCmdRGAddTemplateResponse>(request.unplannableSchedule);
    const auto hold = m_names.reserve(request.record.name);
    const auto stored = storedTemplates(std::nullopt);
    // Without the list the name cannot be checked.
    if (!readable(*stored))
        return answer<CCmdRGAddTemplateResponse>(stored->result(), stored->details());
    if (nameTaken(*stored, request.record.name, std::nullopt))
        return answer<CCmdRGAddTemplateResponse>(TemplateResult::NameExists,
                                                 TemplateResult::nameExistsText);
    const auto registered = store(request.record, newTemplate);
    if (registered->result() != ResultCode::Ok)
        return answer<CCmdRGAddTemplateResponse>(registered->result(), registered->details());
    auto response = std::make_unique<CCmdRGAddTemplateResponse>();
    response->templateId = quint32(registered->scheduleId);
    return response;
}

std::unique_ptr<CCmdRGTemplateResponse>
TemplateCommands::setTemplate(CCmdRGSetReportTemplateRequest& request) {
    const std::optional<qint32> id = templateXml::idFromText(request.templateId);
    if (!id)
        return invalidTemplateId<CCmdRGTemplateResponse>();
    if (!request.unplannableSchedule.isEmpty())
        return unplannable<CCmdRGTemplateResponse>(request.unplannableSchedule);
    const auto hold = m_names.reserve(request.record.name);
    const auto stored = storedTemplates(std::nullopt);
    if (stored->result() != ResultCode::Ok)
        return answer<CCmdRGTemplateResponse>(stored->result(), stored->details());
    // A template keeps its own name without conflict.
    if (nameTaken(*stored, request.record.name, id))
        return answer<CCmdRGTemplateResponse>(TemplateResult::NameExists,
                                              TemplateResult::nameExistsText);
    if (!stored->items.contains(*id))
        return invalidTemplateId<CCmdRGTemplateResponse>();
    const auto registered = store(request.record, *id);
    if (registered->result() != ResultCode::Ok)
        return answer<CCmdRGTemplateResponse>(registered->result(), registered->details());
    // Deleted between the check and the registration.
    if (registered->scheduleId == SchedulerResult::UnknownScheduleId)
        return invalidTemplateId<CCmdRGTemplateResponse>();
    return std::make_unique<CCmdRGTemplateResponse>();
}

std::unique_ptr<CCmdRGReportTemplateResponse>
TemplateCommands::getTemplate(CCmdRGGetReportTemplateRequest& request) {
    const std::optional<qint32> id = templateXml::idFromText(request.templateId);
    if (!id)
        return invalidTemplateId<CCmdRGReportTemplateResponse>();
    const auto stored = storedTemplates(id);
    if (stored->result() != ResultCode::Ok)
        return answer<CCmdRGReportTemplateResponse>(stored->result(), stored->details());
    if (stored->items.empty())
        return answer<CCmdRGReportTemplateResponse>(SchedulerResult::InvalidIds,
                                                    SchedulerResult::invalidIdsText);
    auto response = std::make_unique<CCmdRGReportTemplateResponse>();
    response->record = storedTemplate::fromItem(stored->items.begin()->second);
    response->record.id = quint32(*id);
    return response;
}

std::unique_ptr<CCmdRGPDeleteReportTemplateResponse>
TemplateCommands::deleteTemplate(CCmdRGPDeleteReportTemplateRequest& request) {
    const std::optional<qint32> id = templateXml::idFromText(request.templateId);
    if (!id)
        return invalidTemplateId<CCmdRGPDeleteReportTemplateResponse>();
    CmdSchUnregisterRequest unregister;
    unregister.serviceName = storedTemplate::serviceName;
    unregister.selection.ids = {*id};
    const auto removed = m_caller.call<CmdSchUnregisterResponse>(unregister);
    if (removed->result() != ResultCode::Ok)
        return answer<CCmdRGPDeleteReportTemplateResponse>(removed->result(), removed->details());
    return std::make_unique<CCmdRGPDeleteReportTemplateResponse>();
}

std::unique_ptr<CCmdRGPGetReportTemplateListResponse>
TemplateCommands::getTemplateList(CCmdRGPGetReportTemplateListRequest&) {
    const auto stored = storedTemplates(std::nullopt);
    // An unreachable scheduler is not an empty list.
    if (!readable(*stored))
        return answer<CCmdRGPGetReportTemplateListResponse>(stored->result(), stored->details());
    auto response = std::make_unique<CCmdRGPGetReportTemplateListResponse>();
    for (const auto& [id, item] : stored->items)
        response->entries.append(storedTemplate::listEntry(item));
    return response;
}
