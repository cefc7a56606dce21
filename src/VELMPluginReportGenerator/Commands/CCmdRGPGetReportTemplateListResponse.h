#pragma once

#include "VELMPluginReportGenerator/templates/ReportTemplate.h"

#include "VELMPluginReportGenerator/Commands/ReportRequestPacket.h"
#include "VXNServiceFramework/packets/ResponsePacket.h"

#include <QList>

// "RGPGetReportTemplateList": every stored template, without parameters.
class CCmdRGPGetReportTemplateListRequest : public ReportRequestPacket {
public:
    static inline const QString commandName = QStringLiteral("RGPGetReportTemplateList");
    CCmdRGPGetReportTemplateListRequest() : ReportRequestPacket(commandName) {}
};

// Its answer: one Template element per stored template, in id order.
class CCmdRGPGetReportTemplateListResponse : public ResponsePacket {
public:
    using ResponsePacket::ResponsePacket;

    void parse(const QByteArray& body) override;
    void serialize(QByteArray& body) override;

    QList<TemplateListEntry> entries;
};
