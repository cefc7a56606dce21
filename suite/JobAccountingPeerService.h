#pragma once

#include "JobAccountingStore.h"

#include "VELMPluginReportGenerator/jobaccounting/messages/JACPackets.h"
#include "VXNServiceFramework/dispatch/Service.h"

// The job accounting plug-in: computes job accounting reports from the job log on request and
// keeps them until they are fetched and deleted.
class JobAccountingPeerService : public Service {
public:
    // Result codes of the plug-in's own failures.
    static constexpr int refusedRequest = 1101;
    static constexpr int unknownReport = 1102;
    static constexpr int reportNotReady = 1103;
    static constexpr int computationFailed = 1104;
    static constexpr int tooManyReports = 1105;

    explicit JobAccountingPeerService(JobAccountingStore& store);

    std::unique_ptr<JACAddAccessRightsResponse> addAccessRights(JACAddAccessRightsRequest& request);
    std::unique_ptr<RGPCreateJACReportResponse> createReport(RGPCreateJACReportRequest& request);
    std::unique_ptr<RGPGetJACReportStatusResponse>
    getReportStatus(RGPGetJACReportStatusRequest& request);
    std::unique_ptr<RGPGetJACReportResultResponse>
    getReportResult(RGPGetJACReportResultRequest& request);
    std::unique_ptr<RGPDeleteJACReportResultResponse>
    deleteReportResult(RGPDeleteJACReportResultRequest& request);

private:
    JobAccountingStore& m_store;
};
