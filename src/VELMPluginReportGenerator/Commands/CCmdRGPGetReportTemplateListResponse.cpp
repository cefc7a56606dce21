#include "VELMPluginReportGenerator/Commands/CCmdRGPGetReportTemplateListResponse.h"

#include "VELMPluginReportGenerator/templates/TemplateXml.h"

void CCmdRGPGetReportTemplateListResponse::parse(const QByteArray& body) {
    ResponsePacket::parse(body);
    entries = templateXml::readList(*this);
}

void CCmdRGPGetReportTemplateListResponse::serialize(QByteArray& body) {
    buildDocument();
    templateXml::writeList(*this, entries);
    ResponsePacket::serialize(body);
}
