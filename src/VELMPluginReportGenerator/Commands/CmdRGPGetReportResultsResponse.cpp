#include "VELMPluginReportGenerator/Commands/CmdRGPGetReportResultsResponse.h"

#include "VELMPluginReportGenerator/builders/ReportDocument.h"

#include "VXNServiceFramework/dom/DomRead.h"
#include "VXNServiceFramework/dom/DomWriter.h"
#include "VXNServiceFramework/packets/WrongPacketFormat.h"

void CmdRGPGetReportResultsResponse::copyReport(const ReportDocument& report) {
    for (const QString& part : {QStringLiteral("Info"), QStringLiteral("Body")})
        if (const dom::Element* element = dom::firstChild(report.root(), part)) {
            try {
                m_reportText += dom::toXmlString(element);
            } catch (const dom::WriteError& e) {
                throw WrongPacketFormat(QString::fromStdString(e.what()));
            }
        }
}

void CmdRGPGetReportResultsResponse::parse(const QByteArray& body) {
    m_reportText.clear();
    ResponsePacket::parse(body);
}

void CmdRGPGetReportResultsResponse::serialize(QByteArray& body) {
    if (m_reportText.isEmpty()) {
        ResponsePacket::serialize(body);
        return;
    }
    if (!document())
        buildDocument();
    QString envelope;
    try {
        envelope = dom::toXmlString(document());
    } catch (const dom::WriteError& e) {
        throw WrongPacketFormat(QString::fromStdString(e.what()));
    }
    // The report's parts go where copied elements would be: last in the root.
    static const QString rootEnd = QStringLiteral("</VXNResponse>");
    const qsizetype at = envelope.lastIndexOf(rootEnd);
    if (at < 0)
        throw WrongPacketFormat(QStringLiteral("The answer's envelope has no end tag"));
    body = dom::utf16Bytes({QStringView(envelope).first(at), QStringView(m_reportText),
                            QStringView(envelope).sliced(at)});
}
