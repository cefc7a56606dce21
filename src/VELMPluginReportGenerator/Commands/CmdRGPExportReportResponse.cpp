#include "VELMPluginReportGenerator/Commands/CmdRGPExportReportResponse.h"

void CmdRGPExportReportResponse::parse(const QByteArray& body) {
    ResponsePacket::parse(body);
    filePath = elementText(QStringLiteral("FilePath"));
}

void CmdRGPExportReportResponse::serialize(QByteArray& body) {
    buildDocument();
    addElement(QStringLiteral("FilePath"), filePath);
    ResponsePacket::serialize(body);
}
