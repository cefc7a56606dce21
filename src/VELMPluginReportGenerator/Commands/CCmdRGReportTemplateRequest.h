#pragma once

#include "VELMPluginReportGenerator/templates/ReportTemplate.h"

#include "VELMPluginReportGenerator/Commands/ReportRequestPacket.h"

// Requests that carry a whole template record.
class CCmdRGReportTemplateRequest : public ReportRequestPacket {
public:
    void parse(const QByteArray& body) override;
    void serialize(QByteArray& body) override;

    // record.id is read and written only by requests that name their template.
    ReportTemplate record;
    // The Template ID as the request carries it (empty when it names none).
    QString templateId;
    // Why the schedule as written cannot be planned; empty when it can (or was not parsed).
    QString unplannableSchedule;

protected:
    CCmdRGReportTemplateRequest(QString command, bool namesTemplate)
        : ReportRequestPacket(std::move(command)), m_namesTemplate(namesTemplate) {}

private:
    bool m_namesTemplate;
};

// "RGPAddReportTemplate": stores a new template (CCmdRGAddTemplateResponse).
class CCmdRGAddReportTemplateRequest : public CCmdRGReportTemplateRequest {
public:
    static inline const QString commandName = QStringLiteral("RGPAddReportTemplate");
    CCmdRGAddReportTemplateRequest() : CCmdRGReportTemplateRequest(commandName, false) {}
};

// "RGPSetReportTemplate": replaces the template with the given id (CCmdRGTemplateResponse).
class CCmdRGSetReportTemplateRequest : public CCmdRGReportTemplateRequest {
public:
    static inline const QString commandName = QStringLiteral("RGPSetReportTemplate");
    CCmdRGSetReportTemplateRequest() : CCmdRGReportTemplateRequest(commandName, true) {}
};
