#pragma once

#include "VELMPluginReportGenerator/Commands/CmdRGPSendReportByEmailResponse.h"

#include "VELMPluginReportGenerator/Commands/ReportRequestPacket.h"

// "RGPGenerateAndSendReportByEmail": a template as the scheduler fires it (its Report and Email
// parts), or <Template ID="id"/> naming a stored one. The request is kept as text: the parts are
// cut out of it as they were written.
class CmdRGPGenerateAndSendReportByEmailRequest : public ReportRequestPacket {
public:
    static inline const QString commandName = QStringLiteral("RGPGenerateAndSendReportByEmail");

    CmdRGPGenerateAndSendReportByEmailRequest() : ReportRequestPacket(commandName) {}

    // Keeps the document's text; a body that is no XML document leaves it empty.
    void parse(const QByteArray& body) override;
    // Writes `text` as it is.
    void serialize(QByteArray& body) override;

    QString text;
    // The ID of its single Template element; empty when it names none.
    QString templateId;
};

// Its answer: Result, Details and an empty ReportID.
using CmdRGPGenerateAndSendReportByEmailResponse = CmdRGPSendReportByEmailResponse;
