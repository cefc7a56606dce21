#include "VELMPluginReportGenerator/export/ExportDocument.h"

#include "VXNServiceFramework/dom/DomBuild.h"
#include "VXNServiceFramework/dom/DomDocument.h"
#include "VXNServiceFramework/dom/DomRead.h"
#include "VXNServiceFramework/dom/DomWriter.h"

QByteArray exportDocumentText(const dom::Element* reportRoot) {
    const dom::Document document = dom::Document::create(QStringLiteral("VXNResponse"));
    for (const QString& part : {QStringLiteral("Info"), QStringLiteral("Body")})
        if (const dom::Element* element = dom::firstChild(reportRoot, part))
            dom::appendCopy(document.root(), element);
    return dom::toUtf8(document.get(), dom::Layout::Pretty);
}
