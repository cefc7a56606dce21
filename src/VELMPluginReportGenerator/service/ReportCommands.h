#pragma once

#include "VELMPluginReportGenerator/Commands/CmdRGPCancelReportResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGenerateReportRequest.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGenerateReportResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGetReportResultsResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGetReportStatusResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPReportIdRequest.h"

#include <memory>

class VELMReport;
class VELMReportGenerator;

// The commands that create, watch, fetch and cancel reports.
class ReportCommands {
public:
    explicit ReportCommands(VELMReportGenerator& generator) : m_generator(generator) {}

    std::unique_ptr<CmdRGPGenerateReportResponse>
    generateReport(CmdRGPGenerateReportRequest& request);
    std::unique_ptr<CmdRGPGetReportStatusResponse>
    getReportStatus(CmdRGPGetReportStatusRequest& request);
    // Null (an empty envelope) when the report was removed.
    std::unique_ptr<CmdRGPCancelReportResponse> cancelReport(CmdRGPCancelReportRequest& request);
    std::unique_ptr<CmdRGPGetReportResultsResponse>
    getReportResults(CmdRGPGetReportResultsRequest& request);

private:
    // The report a request names; null when the id is empty, not a number or not in the table.
    std::shared_ptr<VELMReport> reportOf(const CmdRGPReportIdRequest& request) const;

    VELMReportGenerator& m_generator;
};
