#pragma once

#include "VXNServiceFramework/packets/ResponsePacket.h"

// The answer to "RGPGenerateReport": <Report ID="new id"/> when a report was started.
class CmdRGPGenerateReportResponse : public ResponsePacket {
public:
    using ResponsePacket::ResponsePacket;

    void parse(const QByteArray& body) override;
    void serialize(QByteArray& body) override;

    QString reportId; // empty when no report was started
};
