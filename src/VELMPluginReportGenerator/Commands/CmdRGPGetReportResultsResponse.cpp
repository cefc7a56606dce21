#include "VELMPluginReportGenerator/Commands/CmdRGPGetReportResultsResponse.h"

#include "VELMPluginReportGenerator/builders/ReportDocument.h"

#include "VXNServiceFramework/dom/DomBuild.h"
#include "VXNServiceFramework/dom/DomRead.h"

void CmdRGPGetReportResultsResponse::copyReport(const ReportDocument& report) {
    if (!document())
        buildDocument();
    for (const QString& part : {QStringLiteral("Info"), QStringLiteral("Body")})
        if (const dom::Element* element = dom::firstChild(report.root(), part))
            dom::appendCopy(rootElement(), element);
}
