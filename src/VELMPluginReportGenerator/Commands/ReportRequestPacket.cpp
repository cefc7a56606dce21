#include "VELMPluginReportGenerator/Commands/ReportRequestPacket.h"

void ReportRequestPacket::parse(const QByteArray& body) {
    parseReadable(body);
}
