#include "JobAccountingPeerService.h"

#include "VXNServiceFramework/app/Log.h"

namespace {

QString unknownText(int handle) {
    return QStringLiteral("No job accounting report with the id %1").arg(handle);
}

// Answers the failure of a report that cannot be served as it stands; true when there was one.
template <class Response>
bool answeredFailure(const std::optional<JobAccountingStore::Snapshot>& snapshot, int handle,
                     Response& response) {
    if (!snapshot) {
        response.setResult(JobAccountingPeerService::unknownReport, unknownText(handle));
        return true;
    }
    if (!snapshot->error.isEmpty()) {
        response.setResult(JobAccountingPeerService::computationFailed, snapshot->error);
        return true;
    }
    return false;
}

} // namespace

JobAccountingPeerService::JobAccountingPeerService(JobAccountingStore& store) : m_store(store) {
    addHandler(QStringLiteral("JACAddAccessRights"), this,
               &JobAccountingPeerService::addAccessRights);
    addHandler(QStringLiteral("RGPCreateJACReport"), this, &JobAccountingPeerService::createReport);
    addHandler(QStringLiteral("RGPGetJACReportStatus"), this,
               &JobAccountingPeerService::getReportStatus);
    addHandler(QStringLiteral("RGPGetJACReportResult"), this,
               &JobAccountingPeerService::getReportResult);
    addHandler(QStringLiteral("RGPDeleteJACReportResult"), this,
               &JobAccountingPeerService::deleteReportResult);
}

std::unique_ptr<JACAddAccessRightsResponse>
JobAccountingPeerService::addAccessRights(JACAddAccessRightsRequest&) {
    return std::make_unique<JACAddAccessRightsResponse>();
}

std::unique_ptr<RGPCreateJACReportResponse>
JobAccountingPeerService::createReport(RGPCreateJACReportRequest& request) {
    auto response = std::make_unique<RGPCreateJACReportResponse>();
    const auto checked = JobAccountingQuery::check(request);
    if (const auto* refusal = std::get_if<QString>(&checked)) {
        VELM_ERR << "RGPCreateJACReport refused: " << *refusal;
        response->setResult(refusedRequest, *refusal);
        return response;
    }
    const std::optional<int> handle = m_store.add(std::get<JobAccountingQuery>(checked));
    if (!handle) {
        response->setResult(tooManyReports,
                            QStringLiteral("Too many job accounting reports are kept; delete "
                                           "fetched ones first"));
        return response;
    }
    response->JACReportID = *handle;
    return response;
}

std::unique_ptr<RGPGetJACReportStatusResponse>
JobAccountingPeerService::getReportStatus(RGPGetJACReportStatusRequest& request) {
    auto response = std::make_unique<RGPGetJACReportStatusResponse>();
    const auto snapshot = m_store.find(request.JACReportID);
    if (!answeredFailure(snapshot, request.JACReportID, *response))
        response->Progress = snapshot->progress;
    return response;
}

std::unique_ptr<RGPGetJACReportResultResponse>
JobAccountingPeerService::getReportResult(RGPGetJACReportResultRequest& request) {
    auto response = std::make_unique<RGPGetJACReportResultResponse>();
    auto snapshot = m_store.find(request.JACReportID);
    if (answeredFailure(snapshot, request.JACReportID, *response))
        return response;
    if (!snapshot->report) {
        response->setResult(reportNotReady,
                            QStringLiteral("The job accounting report is still being computed"));
        return response;
    }
    response->Report = std::move(snapshot->report);
    return response;
}

std::unique_ptr<RGPDeleteJACReportResultResponse>
JobAccountingPeerService::deleteReportResult(RGPDeleteJACReportResultRequest& request) {
    auto response = std::make_unique<RGPDeleteJACReportResultResponse>();
    if (!m_store.remove(request.JACReportID))
        response->setResult(unknownReport, unknownText(request.JACReportID));
    return response;
}
