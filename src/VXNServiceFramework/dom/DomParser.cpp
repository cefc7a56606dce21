#include "VXNServiceFramework/dom/DomParser.h"

#include "VXNServiceFramework/dom/XercesRuntime.h"
#include "VXNServiceFramework/dom/XercesString.h"

#include <QFile>
#include <optional>
#include <unordered_set>
#include <xercesc/dom/DOM.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/EntityResolver.hpp>
#include <xercesc/sax/ErrorHandler.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/SecurityManager.hpp>

XERCES_CPP_NAMESPACE_USE

namespace dom {
namespace {

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

// External entities and DTDs are never fetched: each reads as empty.
class NoExternalEntities final : public EntityResolver {
public:
    InputSource* resolveEntity(const XMLCh*, const XMLCh*) override {
        static const XMLByte nothing[1] = {0};
        return new MemBufInputSource(nothing, 0, "external entity (not loaded)", false);
    }
};

// The document keeps each distinct element and attribute name in a table of fixed size, so
// every new name costs more than the one before: a body of a million names would take hours.
// Past these bounds the parse ends instead; no document of ours comes near them.
constexpr XMLSize_t mostAttributesPerElement = 10000;
constexpr std::size_t mostDistinctNames = 50000;

class BoundedNamesParser final : public XercesDOMParser {
public:
    explicit BoundedNamesParser(MemoryManager* memory) : XercesDOMParser(nullptr, memory) {}

    void startElement(const XMLElementDecl& declaration, const unsigned int uri,
                      const XMLCh* const prefix, const RefVectorOf<XMLAttr>& attributes,
                      const XMLSize_t count, const bool isEmpty, const bool isRoot) override {
        if (count > mostAttributesPerElement)
            refuse(QStringLiteral("An element has more than %1 attributes")
                       .arg(mostAttributesPerElement));
        XercesDOMParser::startElement(declaration, uri, prefix, attributes, count, isEmpty, isRoot);
        // The document hands out one pointer per distinct name.
        const auto* element = static_cast<const DOMElement*>(getCurrentNode());
        m_names.insert(element->getTagName());
        const DOMNamedNodeMap* map = element->getAttributes();
        for (XMLSize_t i = 0, n = map ? map->getLength() : 0; i < n; ++i)
            m_names.insert(map->item(i)->getNodeName());
        if (m_names.size() > mostDistinctNames)
            refuse(QStringLiteral("The document has more than %1 distinct names")
                       .arg(mostDistinctNames));
    }

    const QString& refusal() const { return m_refusal; }

private:
    // Ends the parse the way running out of memory does, which every part of the parser is
    // prepared for.
    [[noreturn]] void refuse(const QString& why) {
        m_refusal = why;
        throw OutOfMemoryException();
    }

    std::unordered_set<const XMLCh*> m_names;
    QString m_refusal;
};

QString tooLarge(qsizetype size, qsizetype limit) {
    return QStringLiteral("Document of %1 bytes exceeds the limit of %2 bytes")
        .arg(size)
        .arg(limit);
}

} // namespace

ParseResult parse(QByteArrayView bytes, const ParseOptions& options) {
    ParseResult result;
    if (bytes.size() > options.maxBytes) {
        result.error = tooLarge(bytes.size(), options.maxBytes);
        return result;
    }
    xercesRuntime::ensureInitialized();
    FirstFatalError errors;
    NoExternalEntities resolver;
    SecurityManager limits;
    limits.setEntityExpansionLimit(options.entityExpansionLimit);

    MemoryManager* memory =
        options.memory ? options.memory.get() : XMLPlatformUtils::fgMemoryManager;
    // Setting up draws on the parse's memory too, so it may run out before the first byte is
    // read: that is the same error as running out later. The source outlives the parser.
    std::optional<MemBufInputSource> source;
    std::unique_ptr<BoundedNamesParser> parser;
    try {
        parser = std::make_unique<BoundedNamesParser>(memory);
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

        // The bytes outlive the parse: the stream reads them in place rather than from a copy,
        // and is made from the parse's own memory, so a parse that runs out of it while setting
        // up its reader leaves nothing behind on the global heap.
        source.emplace(reinterpret_cast<const XMLByte*>(bytes.data()), XMLSize_t(bytes.size()),
                       "document", false, memory);
        source->setCopyBufToStream(false);
        // UTF-16 without byte-order mark and without declaration: the first character is '<'
        // in either byte order (a NUL byte never starts a document in any other encoding).
        if (bytes.startsWith(QByteArrayView("<\0", 2)))
            source->setEncoding(u"UTF-16LE");
        else if (bytes.startsWith(QByteArrayView("\0<", 2)))
            source->setEncoding(u"UTF-16BE");
        parser->parse(*source);
    } catch (const OutOfMemoryException&) {
        errors.message = parser && !parser->refusal().isEmpty()
                             ? parser->refusal()
                             : QStringLiteral("The document needs more memory than allowed");
    } catch (const XMLException& e) {
        errors.message = fromXml(e.getMessage());
    } catch (const DOMException& e) {
        errors.message = fromXml(e.getMessage());
    }
    if (errors.message.isEmpty() && (!parser || !parser->getDocument()))
        errors.message = QStringLiteral("No document found");
    if (!errors.message.isEmpty()) {
        result.error = errors.message;
        return result; // the parser takes its partial document with it
    }
    result.document = Document(parser->adoptDocument(), options.memory);
    return result;
}

ParseResult parseFile(const QString& path, const ParseOptions& options) {
    ParseResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("Cannot read %1: %2").arg(path, file.errorString());
        return result;
    }
    // Checked before reading, so an oversized file is never loaded into memory.
    if (file.size() > options.maxBytes) {
        result.error = tooLarge(file.size(), options.maxBytes);
        return result;
    }
    return parse(file.readAll(), options);
}

} // namespace dom
