#pragma once

#include "VELMPluginReportGenerator/Commands/CmdRGPGetCurrentUsageCountersRequest.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGetCurrentUsageCountersResponse.h"
#include "VELMPluginReportGenerator/Commands/RGPGetReportCategories_Request.h"
#include "VELMPluginReportGenerator/Commands/RGPGetReportCategories_Response.h"

#include "VXNServiceFramework/packets/BindPacket.h"

#include <memory>

class PeerCaller;

using RGPGetReportCategoriesRequest = BindRequest<RGPGetReportCategories_Request::c_VXNRequest>;
using RGPGetReportCategoriesResponse = BindResponse<RGPGetReportCategories_Response::c_VXNResponse>;

// The commands that describe what can be reported: the report categories and the current
// counters of a device.
class CatalogueCommands {
public:
    explicit CatalogueCommands(PeerCaller& caller) : m_caller(caller) {}

    std::unique_ptr<RGPGetReportCategoriesResponse>
    getReportCategories(RGPGetReportCategoriesRequest& request);
    std::unique_ptr<CmdRGPGetCurrentUsageCountersResponse>
    getCurrentUsageCounters(CmdRGPGetCurrentUsageCountersRequest& request);

private:
    bool jobAccountingAnswers() const;
    // Asks device management to read the device's counter table now; the answer is not used.
    void refreshCounters(int deviceId) const;

    PeerCaller& m_caller;
};
