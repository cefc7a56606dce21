#include "VELMPluginReportGenerator/Commands/CmdRGPGenerateAndSendReportByEmailRequest.h"

#include "VELMPluginReportGenerator/templates/BodyText.h"

#include "VXNServiceFramework/dom/DomWriter.h"

void CmdRGPGenerateAndSendReportByEmailRequest::parse(const QByteArray& body) {
    RequestPacket::parse(body);
    text = document() ? dom::toXmlString(document()) : QString();
    templateId = elementId(QStringLiteral("Template"));
}

void CmdRGPGenerateAndSendReportByEmailRequest::serialize(QByteArray& body) {
    body = bodyText::toBody(text);
}
