#pragma once

#include "VELMPluginReportGenerator/Commands/CmdRGPReportIdRequest.h"

// "RGPExportReport": a finished report made into a file and uploaded to the web service
// (CmdRGPExportReportResponse). <Report ID="id"/>, FileFormat ("CSV", "HTML", "HTM", "XML")
// and Locale (a stylesheet directory; empty for "en").
class CmdRGPExportReportRequest : public CmdRGPReportIdRequest {
public:
    static inline const QString commandName = QStringLiteral("RGPExportReport");
    CmdRGPExportReportRequest() : CmdRGPReportIdRequest(commandName) {}

    void parse(const QByteArray& body) override;
    void serialize(QByteArray& body) override;

    QString fileFormat;
    QString locale;
};
