#include "support/XercesWriterText.h"

#include "VXNServiceFramework/dom/XercesRuntime.h"
#include "VXNServiceFramework/dom/XercesString.h"

#include <xercesc/dom/DOM.hpp>

XERCES_CPP_NAMESPACE_USE

std::optional<QString> xercesWriterText(dom::NodeRef node) {
    xercesRuntime::ensureInitialized();
    DOMImplementation* core = DOMImplementationRegistry::getDOMImplementation(u"Core");
    DOMLSSerializer* writer = core->createLSSerializer();
    XMLCh* text = nullptr;
    try {
        text = writer->writeToString(node.node());
    } catch (const DOMException&) {
    }
    writer->release();
    if (!text)
        return std::nullopt;
    QString result = fromXml(text);
    XMLString::release(&text);
    return result;
}
