#include "VXNServiceFramework/packets/PacketDOM.h"

#include "VXNServiceFramework/dom/DomBuild.h"
#include "VXNServiceFramework/dom/DomParser.h"
#include "VXNServiceFramework/dom/DomRead.h"
#include "VXNServiceFramework/dom/DomWriter.h"
#include "VXNServiceFramework/packets/BoundedMemoryManager.h"
#include "VXNServiceFramework/packets/WrongPacketFormat.h"

#include <algorithm>

namespace {

// What one parse may allocate: room for the parser itself plus a generous multiple of the body,
// up to a fixed ceiling. A DOM node costs tens of bytes, so dense markup needs far more than the
// body; an entity bomb or a body of millions of empty elements needs more than the ceiling.
std::size_t parseBudget(qsizetype bodySize) {
    const std::size_t wanted =
        std::size_t{16} * 1024 * 1024 + std::size_t{64} * std::size_t(bodySize);
    return std::min(wanted, PacketDOM::maxParseMemory);
}

// Why a parse ran out of memory, for the peer: the dispatcher answers it as a wrong format.
QString outOfMemoryText(BoundedMemoryManager::Exhausted which) {
    if (which == BoundedMemoryManager::Exhausted::Shared)
        return QStringLiteral("Parsing memory of the service is taken by other requests; "
                              "try again later");
    return QStringLiteral("Body needs more than the %1 MiB of parsing memory one request may use")
        .arg(PacketDOM::maxParseMemory / (1024 * 1024));
}

} // namespace

PacketDOM::PacketDOM() = default;

PacketDOM::~PacketDOM() = default;

void PacketDOM::clear() {
    m_document.reset();
    m_parseError.clear();
}

void PacketDOM::parse(const QByteArray& body) {
    clear();
    dom::ParseOptions options;
    options.maxBytes = maxBodySize;
    options.entityExpansionLimit = entityExpansionLimit;
    std::shared_ptr<BoundedMemoryManager> memory;
    if (body.size() <= maxBodySize) {
        memory =
            std::make_shared<BoundedMemoryManager>(parseBudget(body.size()), &sharedParseMemory());
        options.memory = memory;
    }
    dom::ParseResult parsed = dom::parse(body, options);
    m_document = std::move(parsed.document);
    m_parseError = std::move(parsed.error);
    if (!m_document && memory && memory->exhausted() != BoundedMemoryManager::Exhausted::No) {
        // Unlike a malformed body, this one may be fine: the peer must learn it was not read.
        m_parseError = outOfMemoryText(memory->exhausted());
        throw WrongPacketFormat(m_parseError);
    }
}

SharedMemoryBudget& PacketDOM::sharedParseMemory() {
    static SharedMemoryBudget budget(defaultSharedParseMemory);
    return budget;
}

void PacketDOM::serialize(QByteArray& body) {
    if (!m_document)
        buildDocument();
    try {
        body = dom::toUtf16(m_document.get());
    } catch (const dom::WriteError& e) {
        throw WrongPacketFormat(QString::fromStdString(e.what()));
    }
}

PacketDOM::DOMElement* PacketDOM::createDocument(const QString& rootName) {
    clear();
    m_document = dom::Document::create(rootName);
    return m_document.root();
}

PacketDOM::DOMElement* PacketDOM::createTextElement(const QString& name, const QString& text) {
    if (!m_document)
        buildDocument();
    return dom::createTextElement(m_document.get(), name, text);
}

PacketDOM::DOMElement* PacketDOM::addElement(const QString& name, const QString& text,
                                             const QString& id) {
    if (!m_document)
        buildDocument();
    DOMElement* element = dom::appendTextElement(rootElement(), name, text);
    if (!id.isEmpty())
        dom::setAttribute(element, QStringLiteral("ID"), id);
    return element;
}

QString PacketDOM::elementText(const QString& name) const {
    const DOMElement* element = dom::onlyDescendant(m_document.get(), name);
    return element ? dom::textContent(element) : QString();
}

QString PacketDOM::elementId(const QString& name) const {
    return dom::attribute(dom::onlyDescendant(m_document.get(), name), QStringLiteral("ID"));
}

PacketDOM::DOMElement* PacketDOM::addElementMap(const QString& name, const StringMap& map) {
    if (!m_document)
        buildDocument();
    DOMElement* element = dom::appendElement(rootElement(), name);
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        dom::appendTextElement(element, it.key(), it.value());
    return element;
}

void PacketDOM::addChildPairs(DOMElement* element, const StringPairs& pairs) {
    if (element)
        dom::appendTextElements(element, pairs);
}

PacketDOM::StringMap PacketDOM::childElementMap(const QString& name) const {
    StringMap map;
    dom::childPairs(firstElement(name), map);
    return map;
}

void PacketDOM::childPairs(dom::NodeRef node, StringPairs& pairs) {
    dom::childPairs(node, pairs);
}

void PacketDOM::childPairs(dom::NodeRef node, StringMap& map) {
    dom::childPairs(node, map);
}

PacketDOM::DOMElement* PacketDOM::firstElement(const QString& name) const {
    return dom::firstDescendant(m_document.get(), name);
}

QString PacketDOM::textContent(dom::NodeRef node) {
    return dom::textContent(node);
}
