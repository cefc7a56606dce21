#pragma once

#include "VXNServiceFramework/packets/ResponsePacket.h"

// The answer to "RGPSendReportByEmail" (and to "RGPGenerateAndSendReportByEmail"): Result,
// Details and <ReportID> with the report the mail was about (empty when none was generated).
class CmdRGPSendReportByEmailResponse : public ResponsePacket {
public:
    using ResponsePacket::ResponsePacket;

    void parse(const QByteArray& body) override;
    void serialize(QByteArray& body) override;

    QString reportId;
};
