#include "VELMPluginReportGenerator/Commands/CmdRGPGetCurrentUsageCountersRequest.h"

void CmdRGPGetCurrentUsageCountersRequest::parse(const QByteArray& body) {
    ReportRequestPacket::parse(body);
    deviceId = elementText(QStringLiteral("DeviceID"));
}

void CmdRGPGetCurrentUsageCountersRequest::serialize(QByteArray& body) {
    buildDocument();
    addElement(QStringLiteral("DeviceID"), deviceId);
    RequestPacket::serialize(body);
}
