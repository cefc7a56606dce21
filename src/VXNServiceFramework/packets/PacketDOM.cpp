#include "VXNServiceFramework/packets/PacketDOM.h"

#include "VXNServiceFramework/packets/BoundedMemoryManager.h"
#include "VXNServiceFramework/packets/WrongPacketFormat.h"
#include "VXNServiceFramework/packets/XercesRuntime.h"
#include "VXNServiceFramework/packets/XercesString.h"

#include <QtEndian>
#include <xercesc/dom/DOM.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/EntityResolver.hpp>
#include <xercesc/sax/ErrorHandler.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/util/XMLString.hpp>

XERCES_CPP_NAMESPACE_USE

namespace {

// What one parse may allocate: room for the parser itself plus a generous multiple of the body.
// A DOM node costs tens of bytes, so dense markup needs far more than the body; an entity bomb
// needs orders of magnitude more and is cut off.
std::size_t parseBudget(qsizetype bodySize) {
    return std::size_t{16} * 1024 * 1024 + std::size_t{64} * std::size_t(bodySize);
}

// Keeps the first fatal error's text; a fatal error ends the parse.
class FirstFatalError final : public ErrorHandler {
public:
    void warning(const SAXParseException&) override {}
    void error(const SAXParseException&) override {}
    void fatalError(const SAXParseException& e) override {
        if (message.isEmpty())
            message = QStringLiteral("%1 (line %2, column %3)")
                          .arg(fromXml(e.getMessage()))
                          .arg(e.getLineNumber())
                          .arg(e.getColumnNumber());
    }
    void resetErrors() override { message.clear(); }

    QString message;
};

// External entities and DTDs from a body are never fetched: each reads as empty.
class NoExternalEntities final : public EntityResolver {
public:
    InputSource* resolveEntity(const XMLCh*, const XMLCh*) override {
        static const XMLByte nothing[1] = {0};
        return new MemBufInputSource(nothing, 0, "external entity (not loaded)", false);
    }
};

DOMImplementation* coreImplementation() {
    xercesRuntime::ensureInitialized();
    static const XMLCh core[] = u"Core";
    return DOMImplementationRegistry::getDOMImplementation(core);
}

// Runs a DOM write operation, turning the DOM's own exception into the packet one.
template <class F> auto guarded(F&& f) {
    try {
        return f();
    } catch (const DOMException& e) {
        throw WrongPacketFormat(fromXml(e.getMessage()));
    }
}

bool descends(const DOMNode* node) {
    const auto type = node->getNodeType();
    return type == DOMNode::ELEMENT_NODE || type == DOMNode::DOCUMENT_NODE ||
           type == DOMNode::ENTITY_REFERENCE_NODE;
}

// Next node after `node` in document order within the subtree of `top`, skipping the children
// of `node` unless `intoChildren`. Iterative so deep documents cannot exhaust the stack.
const DOMNode* nextInSubtree(const DOMNode* node, const DOMNode* top, bool intoChildren) {
    if (intoChildren && node->getFirstChild())
        return node->getFirstChild();
    while (node != top && !node->getNextSibling())
        node = node->getParentNode();
    return node == top ? nullptr : node->getNextSibling();
}

// Visits the elements called `name` in document order until `visit` returns false.
template <class Visit>
void forEachElementNamed(const DOMDocument* document, const QString& name, Visit visit) {
    if (!document)
        return;
    for (const DOMNode* node = document; node;
         node = nextInSubtree(node, document, descends(node))) {
        if (node->getNodeType() == DOMNode::ELEMENT_NODE &&
            QStringView(node->getNodeName()) == name &&
            !visit(static_cast<const DOMElement*>(node)))
            return;
    }
}

// The only element called `name`, or null when there is none or more than one.
const DOMElement* onlyElementNamed(const DOMDocument* document, const QString& name) {
    const DOMElement* found = nullptr;
    int count = 0;
    forEachElementNamed(document, name, [&](const DOMElement* element) {
        found = element;
        return ++count < 2;
    });
    return count == 1 ? found : nullptr;
}

template <class Add> void forEachChildElement(const DOMNode* node, Add add) {
    if (!node)
        return;
    for (const DOMNode* child = node->getFirstChild(); child; child = child->getNextSibling())
        if (child->getNodeType() == DOMNode::ELEMENT_NODE)
            add(fromXml(child->getNodeName()), PacketDOM::textContent(child));
}

} // namespace

void PacketDOM::DocumentRelease::operator()(DOMDocument* document) const {
    document->release();
}

PacketDOM::PacketDOM() {
    xercesRuntime::ensureInitialized();
}

PacketDOM::~PacketDOM() = default;

void PacketDOM::clear() {
    m_document.reset();
    m_parseMemory.reset();
    m_parseError.clear();
}

void PacketDOM::parse(const QByteArray& body) {
    clear();
    if (body.size() > maxBodySize) {
        m_parseError = QStringLiteral("Body of %1 bytes exceeds the limit of %2 bytes")
                           .arg(body.size())
                           .arg(maxBodySize);
        return;
    }
    // Declared before the parser: the parser and its document live on this memory.
    auto memory = std::make_unique<BoundedMemoryManager>(parseBudget(body.size()));
    FirstFatalError errors;
    NoExternalEntities resolver;
    SecurityManager limits;
    limits.setEntityExpansionLimit(entityExpansionLimit);

    auto parser = std::make_unique<XercesDOMParser>(nullptr, memory.get());
    parser->setValidationScheme(XercesDOMParser::Val_Never);
    parser->setDoNamespaces(false);
    parser->setDoSchema(false);
    parser->setLoadSchema(false);
    parser->setLoadExternalDTD(false);
    parser->setDisableDefaultEntityResolution(true);
    parser->setEntityResolver(&resolver);
    parser->setCreateEntityReferenceNodes(false);
    parser->setSecurityManager(&limits);
    parser->setErrorHandler(&errors);

    MemBufInputSource source(reinterpret_cast<const XMLByte*>(body.constData()),
                             XMLSize_t(body.size()), "body", false);
    // UTF-16 without byte-order mark and without declaration: the first character is '<' in
    // either byte order (a NUL byte never starts a document in any other encoding).
    if (body.startsWith(QByteArrayView("<\0", 2)))
        source.setEncoding(u"UTF-16LE");
    else if (body.startsWith(QByteArrayView("\0<", 2)))
        source.setEncoding(u"UTF-16BE");
    try {
        parser->parse(source);
    } catch (const OutOfMemoryException&) {
        errors.message = QStringLiteral("Body needs more memory than allowed");
    } catch (const XMLException& e) {
        errors.message = fromXml(e.getMessage());
    } catch (const DOMException& e) {
        errors.message = fromXml(e.getMessage());
    }
    if (errors.message.isEmpty() && !parser->getDocument())
        errors.message = QStringLiteral("Body holds no document");
    if (!errors.message.isEmpty()) {
        m_parseError = errors.message;
        return; // the parser takes its partial document with it, before `memory` goes
    }
    m_parseMemory = std::move(memory);
    m_document.reset(parser->adoptDocument());
}

void PacketDOM::serialize(QByteArray& body) {
    if (!m_document)
        buildDocument();
    struct WriterRelease {
        void operator()(DOMLSSerializer* writer) const { writer->release(); }
    };
    std::unique_ptr<DOMLSSerializer, WriterRelease> writer(
        coreImplementation()->createLSSerializer());
    MemoryManager* memory = XMLPlatformUtils::fgMemoryManager;
    XMLCh* text = guarded([&] { return writer->writeToString(m_document.get(), memory); });
    if (!text)
        throw WrongPacketFormat(QStringLiteral("The DOM writer could not write the document"));
    const XMLSize_t units = XMLString::stringLen(text);
    body.resize(qsizetype(units) * 2);
    qToLittleEndian<quint16>(text, qsizetype(units), body.data());
    memory->deallocate(text);
}

PacketDOM::DOMElement* PacketDOM::rootElement() const {
    return m_document ? m_document->getDocumentElement() : nullptr;
}

PacketDOM::DOMElement* PacketDOM::createDocument(const QString& rootName) {
    clear();
    m_document.reset(coreImplementation()->createDocument());
    return guarded([&] {
        auto* root = m_document->createElement(toXml(rootName));
        m_document->appendChild(root);
        return root;
    });
}

PacketDOM::DOMElement* PacketDOM::createTextElement(const QString& name, const QString& text) {
    if (!m_document)
        buildDocument();
    return guarded([&] {
        DOMElement* element = m_document->createElement(toXml(name));
        element->appendChild(m_document->createTextNode(toXml(xmlCharsOnly(text))));
        return element;
    });
}

PacketDOM::DOMElement* PacketDOM::addElement(const QString& name, const QString& text,
                                             const QString& id) {
    DOMElement* element = createTextElement(name, text);
    return guarded([&] {
        if (!id.isEmpty())
            element->setAttribute(u"ID", toXml(xmlCharsOnly(id)));
        rootElement()->appendChild(element);
        return element;
    });
}

QString PacketDOM::elementText(const QString& name) const {
    const DOMElement* element = onlyElementNamed(m_document.get(), name);
    return element ? textContent(element) : QString();
}

QString PacketDOM::elementId(const QString& name) const {
    const DOMElement* element = onlyElementNamed(m_document.get(), name);
    return element ? fromXml(element->getAttribute(u"ID")) : QString();
}

PacketDOM::DOMElement* PacketDOM::addElementMap(const QString& name, const StringMap& map) {
    if (!m_document)
        buildDocument();
    return guarded([&] {
        DOMElement* element = m_document->createElement(toXml(name));
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            element->appendChild(createTextElement(it.key(), it.value()));
        rootElement()->appendChild(element);
        return element;
    });
}

void PacketDOM::addChildPairs(DOMElement* element, const StringPairs& pairs) {
    if (!element)
        return;
    for (const auto& [name, text] : pairs) {
        DOMElement* child = createTextElement(name, text);
        guarded([&] { return element->appendChild(child); });
    }
}

PacketDOM::StringMap PacketDOM::childElementMap(const QString& name) const {
    StringMap map;
    childPairs(firstElement(name), map);
    return map;
}

void PacketDOM::childPairs(const DOMNode* node, StringPairs& pairs) {
    forEachChildElement(node, [&](QString name, QString text) {
        pairs.append({std::move(name), std::move(text)});
    });
}

void PacketDOM::childPairs(const DOMNode* node, StringMap& map) {
    forEachChildElement(
        node, [&](QString name, QString text) { map.insert(std::move(name), std::move(text)); });
}

void PacketDOM::childPairs(const DOMElement* element, StringPairs& pairs) {
    childPairs(static_cast<const DOMNode*>(element), pairs);
}

void PacketDOM::childPairs(const DOMElement* element, StringMap& map) {
    childPairs(static_cast<const DOMNode*>(element), map);
}

const PacketDOM::DOMElement* PacketDOM::firstElement(const QString& name) const {
    const DOMElement* found = nullptr;
    forEachElementNamed(m_document.get(), name, [&](const DOMElement* element) {
        found = element;
        return false;
    });
    return found;
}

QString PacketDOM::textContent(const DOMNode* node) {
    QString text;
    if (!node)
        return text;
    for (const DOMNode* n = node; n; n = nextInSubtree(n, node, descends(n))) {
        const auto type = n->getNodeType();
        if (type == DOMNode::TEXT_NODE || type == DOMNode::CDATA_SECTION_NODE)
            text += QStringView(n->getNodeValue());
    }
    return text;
}

QString PacketDOM::textContent(const DOMElement* element) {
    return textContent(static_cast<const DOMNode*>(element));
}
