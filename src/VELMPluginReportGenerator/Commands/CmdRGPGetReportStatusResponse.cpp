#include "VELMPluginReportGenerator/Commands/CmdRGPGetReportStatusResponse.h"

void CmdRGPGetReportStatusResponse::parse(const QByteArray& body) {
    ResponsePacket::parse(body);
    reportStatus = elementText(QStringLiteral("ReportStatus"));
    isEmail = elementText(QStringLiteral("IsEmail"));
}

void CmdRGPGetReportStatusResponse::serialize(QByteArray& body) {
    buildDocument();
    addElement(QStringLiteral("ReportStatus"), reportStatus);
    addElement(QStringLiteral("IsEmail"), isEmail);
    ResponsePacket::serialize(body);
}
