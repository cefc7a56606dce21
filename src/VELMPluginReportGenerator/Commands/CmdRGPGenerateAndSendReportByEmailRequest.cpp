#include "VELMPluginReportGenerator/Commands/CmdRGPGenerateAndSendReportByEmailRequest.h"

#include "VELMPluginReportGenerator/templates/BodyText.h"

#include "VXNServiceFramework/dom/DomWriter.h"

void CmdRGPGenerateAndSendReportByEmailRequest::parse(const QByteArray& body) {
    ReportRequestPacket::parse(body);
    text = dom::toXmlString(document());
    templateId = elementId(QStringLiteral("Template"));
}

void CmdRGPGenerateAndSendReportByEmailRequest::serialize(QByteArray& body) {
    body = bodyText::toBody(text);
}
