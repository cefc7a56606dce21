#include "VXNServiceFramework/dom/DomDocument.h"

#include "VXNServiceFramework/dom/BuildGuard.h"
#include "VXNServiceFramework/dom/XercesRuntime.h"
#include "VXNServiceFramework/dom/XercesString.h"

#include <xercesc/dom/DOM.hpp>
#include <xercesc/util/PlatformUtils.hpp>

XERCES_CPP_NAMESPACE_USE

namespace dom {

void Document::Release::operator()(RawDocument* document) const {
    document->release();
}

Document::Document() = default;

Document::~Document() = default;

Document::Document(RawDocument* document, std::shared_ptr<MemoryManager> memory)
    : m_memory(std::move(memory)), m_document(document) {}

Document::Document(Document&& other) noexcept
    : m_memory(std::move(other.m_memory)), m_document(std::move(other.m_document)) {}

Document& Document::operator=(Document&& other) noexcept {
    // The old document goes before the memory it lives on.
    m_document = std::move(other.m_document);
    m_memory = std::move(other.m_memory);
    return *this;
}

Document Document::create(const QString& rootName, std::shared_ptr<MemoryManager> memory) {
    xercesRuntime::ensureInitialized();
    static const XMLCh core[] = u"Core";
    MemoryManager* manager = memory ? memory.get() : XMLPlatformUtils::fgMemoryManager;
    Document result(DOMImplementationRegistry::getDOMImplementation(core)->createDocument(manager),
                    std::move(memory));
    guarded([&] {
        return result.m_document->appendChild(result.m_document->createElement(toXml(rootName)));
    });
    return result;
}

Element* Document::root() const {
    return m_document ? m_document->getDocumentElement() : nullptr;
}

void Document::reset() {
    m_document.reset();
    m_memory.reset();
}

} // namespace dom
