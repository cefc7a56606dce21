#pragma once

#include "VXNServiceFramework/packets/ResponsePacket.h"

class ReportDocument;

// The answer to "RGPGetReportResults": copies of the Info and Body of the report document.
//
// A report can hold hundreds of thousands of elements, so the answer does not copy them into a
// DOM of its own: copyReport() keeps their text as the DOM writer writes it, and serialize()
// places that text after Result and Details. The bytes are the same as for copied elements.
class CmdRGPGetReportResultsResponse : public ResponsePacket {
public:
    using ResponsePacket::ResponsePacket;

    // Copies Info and Body of `report` into this answer, after Result and Details.
    void copyReport(const ReportDocument& report);

    void parse(const QByteArray& body) override;
    void serialize(QByteArray& body) override;

    // The copied parts of a parsed answer (null when absent).
    const DOMElement* info() const { return firstElement(QStringLiteral("Info")); }
    const DOMElement* body() const { return firstElement(QStringLiteral("Body")); }

private:
    // Info and Body as XML text, written after the envelope's own elements.
    QString m_reportText;
};
