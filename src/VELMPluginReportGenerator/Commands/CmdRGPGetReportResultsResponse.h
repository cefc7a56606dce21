#pragma once

#include "VXNServiceFramework/packets/ResponsePacket.h"

class ReportDocument;

// The answer to "RGPGetReportResults": copies of the Info and Body of the report document.
class CmdRGPGetReportResultsResponse : public ResponsePacket {
public:
    using ResponsePacket::ResponsePacket;

    // Copies Info and Body of `report` into this answer, after Result and Details.
    void copyReport(const ReportDocument& report);

    // The copied parts of a parsed answer (null when absent).
    const DOMElement* info() const { return firstElement(QStringLiteral("Info")); }
    const DOMElement* body() const { return firstElement(QStringLiteral("Body")); }
};
