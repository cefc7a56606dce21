#include "VELMPluginReportGenerator/Commands/CCmdRGReportTemplateResponse.h"

#include "VELMPluginReportGenerator/templates/BodyText.h"
#include "VELMPluginReportGenerator/templates/TemplateXml.h"

#include "VXNServiceFramework/app/Log.h"

namespace {
// Logged before the body of an answer a client reads; kept as operators know it.
const QString getResponseLog = QStringLiteral("GetResponse: ");
} // namespace

void CCmdRGReportTemplateResponse::parse(const QByteArray& body) {
    ResponsePacket::parse(body);
    VELM_INFO << getResponseLog << bodyText::fromBody(body);
    record = templateXml::read(*this, true);
}

void CCmdRGReportTemplateResponse::serialize(QByteArray& body) {
    buildDocument();
    if (result() == ResultCode::Ok)
        templateXml::write(*this, record, templateXml::IdPlacement::AfterName);
    ResponsePacket::serialize(body);
}

void CCmdRGAddTemplateResponse::parse(const QByteArray& body) {
    ResponsePacket::parse(body);
    templateId = quint32(templateXml::idFromText(templateXml::idText(*this)).value_or(0));
}

void CCmdRGAddTemplateResponse::serialize(QByteArray& body) {
    buildDocument();
    if (result() == ResultCode::Ok)
        templateXml::writeId(*this, templateId);
    ResponsePacket::serialize(body);
}
