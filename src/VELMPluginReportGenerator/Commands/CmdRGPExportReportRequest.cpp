#include "VELMPluginReportGenerator/Commands/CmdRGPExportReportRequest.h"

void CmdRGPExportReportRequest::parse(const QByteArray& body) {
    CmdRGPReportIdRequest::parse(body);
    fileFormat = elementText(QStringLiteral("FileFormat"));
    locale = elementText(QStringLiteral("Locale"));
}

void CmdRGPExportReportRequest::serialize(QByteArray& body) {
    buildDocument();
    addElement(QStringLiteral("Report"), {}, reportId);
    addElement(QStringLiteral("FileFormat"), fileFormat);
    addElement(QStringLiteral("Locale"), locale);
    RequestPacket::serialize(body);
}
