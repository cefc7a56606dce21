#pragma once

#include "VXNServiceFramework/packets/ResponsePacket.h"

// The answer to "RGPGetReportStatus": ReportStatus (the progress) and IsEmail (the report id),
// both written even when empty.
class CmdRGPGetReportStatusResponse : public ResponsePacket {
public:
    using ResponsePacket::ResponsePacket;

    void parse(const QByteArray& body) override;
    void serialize(QByteArray& body) override;

    QString reportStatus;
    QString isEmail;
};
