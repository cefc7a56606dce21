#include "VELMPluginReportGenerator/Commands/CmdRGPSendReportByEmailResponse.h"

void CmdRGPSendReportByEmailResponse::parse(const QByteArray& body) {
    ResponsePacket::parse(body);
    reportId = elementText(QStringLiteral("ReportID"));
}

void CmdRGPSendReportByEmailResponse::serialize(QByteArray& body) {
    buildDocument();
    addElement(QStringLiteral("ReportID"), reportId);
    ResponsePacket::serialize(body);
}
