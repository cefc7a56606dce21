#include "VELMPluginReportGenerator/Commands/CmdRGPGetReportResultsResponse.h"

#include "VELMPluginReportGenerator/builders/ReportDocument.h"

#include <xercesc/dom/DOM.hpp>

XERCES_CPP_NAMESPACE_USE

void CmdRGPGetReportResultsResponse::copyReport(const ReportDocument& report) {
    if (!document())
        buildDocument();
    for (const QString& part : {QStringLiteral("Info"), QStringLiteral("Body")})
        if (const DOMElement* element = ReportDocument::firstChild(report.root(), part))
            rootElement()->appendChild(document()->importNode(element, true));
}
