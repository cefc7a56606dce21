#pragma once

#include "VELMPluginReportGenerator/report/ReportDefinition.h"

#include "VELMPluginReportGenerator/Commands/ReportRequestPacket.h"

#include <optional>

// "RGPGenerateReport": a report definition, either inline (one Report element) or by the id of
// a stored template (<Template ID="id"/>).
class CmdRGPGenerateReportRequest : public ReportRequestPacket {
public:
    static inline const QString commandName = QStringLiteral("RGPGenerateReport");

    CmdRGPGenerateReportRequest() : ReportRequestPacket(commandName) {}

    void parse(const QByteArray& body) override;
    void serialize(QByteArray& body) override;

    // Empty for an inline definition.
    QString templateId;
    // The inline definition, when the request holds exactly one Report element.
    std::optional<ReportDefinition> definition;

    // The definition of the only Report element of a request document, if there is one.
    static std::optional<ReportDefinition> onlyDefinition(const RequestPacket& request);
};
