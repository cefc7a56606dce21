#pragma once

#include "VELMPluginReportGenerator/Commands/CCmdRGPGetReportTemplateListResponse.h"
#include "VELMPluginReportGenerator/Commands/CCmdRGReportTemplateRequest.h"
#include "VELMPluginReportGenerator/Commands/CCmdRGReportTemplateResponse.h"
#include "VELMPluginReportGenerator/Commands/CCmdRGTemplateIdRequest.h"
#include "VELMPluginReportGenerator/templates/TemplateNameReservations.h"

#include <memory>
#include <optional>

class PeerCaller;
class CmdSchGetEventsInfoResponse;
class CmdSchRegisterResponse;

// The commands that add, change, read, remove and list templates. Templates have no store of
// their own: each is an item of the scheduler, reached through `caller` like any other peer.
class TemplateCommands {
public:
    explicit TemplateCommands(PeerCaller& caller) : m_caller(caller) {}

    std::unique_ptr<CCmdRGAddTemplateResponse> addTemplate(CCmdRGAddReportTemplateRequest& request);
    std::unique_ptr<CCmdRGTemplateResponse> setTemplate(CCmdRGSetReportTemplateRequest& request);
    std::unique_ptr<CCmdRGReportTemplateResponse>
    getTemplate(CCmdRGGetReportTemplateRequest& request);
    std::unique_ptr<CCmdRGPDeleteReportTemplateResponse>
    deleteTemplate(CCmdRGPDeleteReportTemplateRequest& request);
    std::unique_ptr<CCmdRGPGetReportTemplateListResponse>
    getTemplateList(CCmdRGPGetReportTemplateListRequest& request);

private:
    // The stored templates: all of them, or the one with `id`.
    std::unique_ptr<CmdSchGetEventsInfoResponse> storedTemplates(std::optional<qint32> id);
    // Stores `record` under `scheduleId` (-1: a new item); the scheduler's answer.
    std::unique_ptr<CmdSchRegisterResponse> store(const ReportTemplate& record, qint32 scheduleId);

    PeerCaller& m_caller;
    TemplateNameReservations m_names;
};
