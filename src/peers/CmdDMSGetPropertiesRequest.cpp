#include "peers/CmdDMSGetPropertiesRequest.h"

#include "VXNServiceFramework/dom/DomBuild.h"
#include "VXNServiceFramework/dom/DomRead.h"

void CmdDMSGetPropertiesRequest::parse(const QByteArray& body) {
    parseReadable(body);
    propertyNames.clear();
    if (const auto* list = dom::onlyDescendant(rootElement(), QStringLiteral("PropertyList")))
        dom::forEachChild(list, [&](const dom::Element* e) { propertyNames.append(dom::name(e)); });
}

void CmdDMSGetPropertiesRequest::serialize(QByteArray& body) {
    buildDocument();
    if (!propertyNames.isEmpty()) {
        auto* list = dom::appendElement(rootElement(), QStringLiteral("PropertyList"));
        for (const QString& name : propertyNames)
            dom::appendElement(list, name);
    }
    RequestPacket::serialize(body);
}
