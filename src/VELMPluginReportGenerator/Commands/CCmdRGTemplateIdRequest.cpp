#include "VELMPluginReportGenerator/Commands/CCmdRGTemplateIdRequest.h"

#include "VELMPluginReportGenerator/templates/TemplateXml.h"

void CCmdRGTemplateIdRequest::parse(const QByteArray& body) {
    ReportRequestPacket::parse(body);
    templateId = templateXml::idText(*this);
}

void CCmdRGTemplateIdRequest::serialize(QByteArray& body) {
    buildDocument();
    addElement(QStringLiteral("Template"), {}, templateId);
    RequestPacket::serialize(body);
}
