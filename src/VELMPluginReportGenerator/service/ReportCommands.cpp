#include "VELMPluginReportGenerator/service/ReportCommands.h"

#include "VELMPluginReportGenerator/VELMReportGenerator.h"
#include "VELMPluginReportGenerator/builders/ReportDocument.h"
#include "VELMPluginReportGenerator/report/ReportResult.h"
#include "VELMPluginReportGenerator/report/VELMReportException.h"
#include "VELMPluginReportGenerator/service/ReportIdText.h"
#include "VELMPluginReportGenerator/service/ReportTemplateFetch.h"

#include "VXNServiceFramework/packets/ResultCodes.h"

namespace {

template <class Response> std::unique_ptr<Response> invalidReportId() {
    auto response = std::make_unique<Response>();
    response->setResult(ReportResult::InvalidReportId, ReportResult::invalidReportIdText);
    return response;
}

} // namespace

std::shared_ptr<VELMReport> ReportCommands::reportOf(const CmdRGPReportIdRequest& request) const {
    const std::optional<int> id = reportIdFrom(request.reportId);
    return id ? m_generator.findReport(*id) : nullptr;
}

std::unique_ptr<CmdRGPGenerateReportResponse>
ReportCommands::generateReport(CmdRGPGenerateReportRequest& request) {
    auto response = std::make_unique<CmdRGPGenerateReportResponse>();
    std::optional<ReportDefinition> definition = request.definition;
    if (!request.templateId.isEmpty())
        definition = fetchTemplateDefinition(m_generator.caller(), request.templateId);
    if (!definition) {
        // Without a definition no report starts.
        response->setResult(ReportResult::InvalidTemplateId, ReportResult::invalidTemplateIdText);
        return response;
    }
    try {
        response->reportId = QString::number(m_generator.createReport(*definition));
    } catch (const VELMReportException& e) {
        response->setResult(e.code, e.message);
    }
    return response;
}

std::unique_ptr<CmdRGPGetReportStatusResponse>
ReportCommands::getReportStatus(CmdRGPGetReportStatusRequest& request) {
    const auto report = reportOf(request);
    if (!report)
        return invalidReportId<CmdRGPGetReportStatusResponse>();
    auto response = std::make_unique<CmdRGPGetReportStatusResponse>();
    // Progress first: a report that reads 100 has its final status.
    const int progress = report->progress();
    const ReportStatus status = report->status();
    if (status.code != ResultCode::Ok) {
        response->setResult(status.code, status.text);
        return response;
    }
    response->reportStatus = QString::number(progress);
    response->isEmail = QString::number(report->id());
    return response;
}

std::unique_ptr<CmdRGPCancelReportResponse>
ReportCommands::cancelReport(CmdRGPCancelReportRequest& request) {
    const std::optional<int> id = reportIdFrom(request.reportId);
    if (!id || !m_generator.removeReport(*id))
        return invalidReportId<CmdRGPCancelReportResponse>();
    return nullptr;
}

std::unique_ptr<CmdRGPGetReportResultsResponse>
ReportCommands::getReportResults(CmdRGPGetReportResultsRequest& request) {
    const auto report = reportOf(request);
    if (!report)
        return invalidReportId<CmdRGPGetReportResultsResponse>();
    auto response = std::make_unique<CmdRGPGetReportResultsResponse>();
    if (!report->isFinished()) {
        response->setResult(ReportResult::InProgress, ReportResult::inProgressText);
        return response;
    }
    const ReportStatus status = report->status();
    if (status.code != ResultCode::Ok) {
        response->setResult(status.code, status.text);
        return response;
    }
    report->readDocument([&](const ReportDocument* document) {
        if (document)
            response->copyReport(*document);
    });
    return response;
}
