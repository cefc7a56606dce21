#include "VELMPluginReportGenerator/service/CatalogueCommands.h"

#include "VELMPluginReportGenerator/jobaccounting/messages/JACPackets.h"
#include "VELMPluginReportGenerator/queries/DeviceScripts.h"
#include "VELMPluginReportGenerator/queries/SqlSafety.h"
#include "VELMPluginReportGenerator/registry/ReportCategories.h"
#include "VELMPluginReportGenerator/report/ReportDatabase.h"

#include "VXNServiceFramework/client/PeerCaller.h"
#include "VXNServiceFramework/packets/ResponsePacket.h"
#include "VXNServiceFramework/packets/ResultCodes.h"
#include "peers/CmdDMSGetDeviceListRequest.h"

namespace {

const QString counterTableProperty = QStringLiteral("zepHrDevCountTable");

UsageCounter counterOf(const DBSRow& row) {
    return {row.value(u"job_type"), row.value(u"color_mode"), row.value(u"media_size"),
            row.value(u"print_mode"), row.value(u"value")};
}

} // namespace

bool CatalogueCommands::jobAccountingAnswers() const {
    JACAddAccessRightsRequest request;
    // Asked once: the catalogue is wanted now, and a plug-in that is not there must not hold it
    // up through the retries. Read leniently: any answer with Result 0 means it is there.
    return m_caller.probe<ResponsePacket>(request)->result() == ResultCode::Ok;
}

std::unique_ptr<RGPGetReportCategoriesResponse>
CatalogueCommands::getReportCategories(RGPGetReportCategoriesRequest&) {
    auto response = std::make_unique<RGPGetReportCategoriesResponse>();
    for (const auto& category : reportRegistry::reportCategories(jobAccountingAnswers()))
        response->Category.append({category.name, category.entries});
    return response;
}

void CatalogueCommands::refreshCounters(int deviceId) const {
    CmdDMSGetDeviceListRequest request;
    CmdDMSGetDeviceListRequest::DeviceFilter device;
    device.id = deviceId;
    request.devices.append(device);
    request.forceUpToDate = true;
    request.propertyNames = {counterTableProperty};
    m_caller.probe<ResponsePacket>(request);
}

std::unique_ptr<CmdRGPGetCurrentUsageCountersResponse>
CatalogueCommands::getCurrentUsageCounters(CmdRGPGetCurrentUsageCountersRequest& request) {
    auto response = std::make_unique<CmdRGPGetCurrentUsageCountersResponse>();
    response->deviceId = request.deviceId;
    // An id that is not a number names no device: nothing is refreshed or queried.
    const std::optional<QString> deviceId = decimalId(request.deviceId);
    const std::optional<QString> script = composeCurrentUsageCountersSql(request.deviceId);
    if (!deviceId || !script)
        return response;
    refreshCounters(deviceId->toInt());
    const auto answer = ReportDatabase(m_caller).runScript(*script);
    // Counters that could not be read are not a device without counters.
    if (answer->result() != ResultCode::Ok)
        response->setResult(answer->result(), answer->details());
    else if (!answer->resultSets().isEmpty())
        for (const DBSRow& row : answer->resultSets().first().rows)
            response->counters.append(counterOf(row));
    return response;
}
