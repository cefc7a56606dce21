#pragma once

#include "VELMPluginReportGenerator/Commands/ReportRequestPacket.h"
#include "VXNServiceFramework/packets/ResponsePacket.h"

// Requests that name one template: <Template ID="id"/>.
class CCmdRGTemplateIdRequest : public ReportRequestPacket {
public:
    void parse(const QByteArray& body) override;
    void serialize(QByteArray& body) override;

    // As the request carries it; empty when there is no single Template element with an ID.
    QString templateId;

protected:
    explicit CCmdRGTemplateIdRequest(QString command) : ReportRequestPacket(std::move(command)) {}
};

// "RGPGetReportTemplate": one template (CCmdRGReportTemplateResponse).
class CCmdRGGetReportTemplateRequest : public CCmdRGTemplateIdRequest {
public:
    static inline const QString commandName = QStringLiteral("RGPGetReportTemplate");
    CCmdRGGetReportTemplateRequest() : CCmdRGTemplateIdRequest(commandName) {}
};

// "RGPDeleteReportTemplate": removes one template; answered with Result and Details only.
class CCmdRGPDeleteReportTemplateRequest : public CCmdRGTemplateIdRequest {
public:
    static inline const QString commandName = QStringLiteral("RGPDeleteReportTemplate");
    CCmdRGPDeleteReportTemplateRequest() : CCmdRGTemplateIdRequest(commandName) {}
};
using CCmdRGPDeleteReportTemplateResponse = ResponsePacket;
