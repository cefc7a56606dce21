#include "VELMPluginReportGenerator/Commands/CCmdRGReportTemplateRequest.h"

#include "VELMPluginReportGenerator/templates/TemplateXml.h"

void CCmdRGReportTemplateRequest::parse(const QByteArray& body) {
    ReportRequestPacket::parse(body);
    record = templateXml::read(*this, m_namesTemplate);
    templateId = m_namesTemplate ? templateXml::idText(*this) : QString();
    unplannableSchedule = templateXml::unplannableSchedule(*this);
}

void CCmdRGReportTemplateRequest::serialize(QByteArray& body) {
    buildDocument();
    templateXml::write(*this, record,
                       m_namesTemplate ? templateXml::IdPlacement::BeforeName
                                       : templateXml::IdPlacement::None);
    RequestPacket::serialize(body);
}
