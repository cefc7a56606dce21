#pragma once

#include "VELMPluginReportGenerator/templates/ReportTemplate.h"

#include "VXNServiceFramework/packets/ResponsePacket.h"

// The answer to "RGPGetReportTemplate": the template record with its id, written only when the
// Result is 0.
class CCmdRGReportTemplateResponse : public ResponsePacket {
public:
    using ResponsePacket::ResponsePacket;

    void parse(const QByteArray& body) override;
    void serialize(QByteArray& body) override;

    ReportTemplate record;
};

// The answer to "RGPSetReportTemplate": Result and Details only.
using CCmdRGTemplateResponse = ResponsePacket;

// The answer to "RGPAddReportTemplate": <Template ID="new id"/> when the template was stored.
class CCmdRGAddTemplateResponse : public ResponsePacket {
public:
    using ResponsePacket::ResponsePacket;

    void parse(const QByteArray& body) override;
    void serialize(QByteArray& body) override;

    quint32 templateId = 0;
};
