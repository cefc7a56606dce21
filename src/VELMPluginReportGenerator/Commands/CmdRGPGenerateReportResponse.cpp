#include "VELMPluginReportGenerator/Commands/CmdRGPGenerateReportResponse.h"

void CmdRGPGenerateReportResponse::parse(const QByteArray& body) {
    ResponsePacket::parse(body);
    reportId = elementId(QStringLiteral("Report"));
}

void CmdRGPGenerateReportResponse::serialize(QByteArray& body) {
    buildDocument();
    if (!reportId.isEmpty())
        addElement(QStringLiteral("Report"), {}, reportId);
    ResponsePacket::serialize(body);
}
