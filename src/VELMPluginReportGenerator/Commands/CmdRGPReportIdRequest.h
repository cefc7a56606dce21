#pragma once

#include "VELMPluginReportGenerator/Commands/ReportRequestPacket.h"

// Requests that name one report: <Report ID="id"/>.
class CmdRGPReportIdRequest : public ReportRequestPacket {
public:
    void parse(const QByteArray& body) override;
    void serialize(QByteArray& body) override;

    // As the request carries it; empty when there is no single Report element with an ID.
    QString reportId;

protected:
    explicit CmdRGPReportIdRequest(QString command) : ReportRequestPacket(std::move(command)) {}
};

// "RGPGetReportStatus": the progress of a report (CmdRGPGetReportStatusResponse).
class CmdRGPGetReportStatusRequest : public CmdRGPReportIdRequest {
public:
    static inline const QString commandName = QStringLiteral("RGPGetReportStatus");
    CmdRGPGetReportStatusRequest() : CmdRGPReportIdRequest(commandName) {}
};

// "RGPCancelReport": removes a report; answered by no packet at all when it succeeds.
class CmdRGPCancelReportRequest : public CmdRGPReportIdRequest {
public:
    static inline const QString commandName = QStringLiteral("RGPCancelReport");
    CmdRGPCancelReportRequest() : CmdRGPReportIdRequest(commandName) {}
};

// "RGPGetReportResults": the Info and Body of a finished report
// (CmdRGPGetReportResultsResponse).
class CmdRGPGetReportResultsRequest : public CmdRGPReportIdRequest {
public:
    static inline const QString commandName = QStringLiteral("RGPGetReportResults");
    CmdRGPGetReportResultsRequest() : CmdRGPReportIdRequest(commandName) {}
};
