#include "VELMPluginReportGenerator/Commands/ReportRequestPacket.h"

#include "VXNServiceFramework/packets/WrongPacketFormat.h"

void ReportRequestPacket::parse(const QByteArray& body) {
    RequestPacket::parse(body);
    if (!document())
        throw WrongPacketFormat(parseError());
}
