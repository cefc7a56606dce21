#include "VELMPluginReportGenerator/Commands/CmdRGPReportIdRequest.h"

void CmdRGPReportIdRequest::parse(const QByteArray& body) {
    ReportRequestPacket::parse(body);
    reportId = elementId(QStringLiteral("Report"));
}

void CmdRGPReportIdRequest::serialize(QByteArray& body) {
    buildDocument();
    addElement(QStringLiteral("Report"), {}, reportId);
    RequestPacket::serialize(body);
}
