#include "VELMPluginReportGenerator/export/DomSourceTree.h"

#include <xalanc/PlatformSupport/AttributesImpl.hpp>
#include <xalanc/XalanSourceTree/XalanSourceTreeContentHandler.hpp>
#include <xalanc/XalanSourceTree/XalanSourceTreeDOMSupport.hpp>
#include <xalanc/XalanSourceTree/XalanSourceTreeDocument.hpp>
#include <xalanc/XalanSourceTree/XalanSourceTreeParserLiaison.hpp>
#include <xalanc/XalanTransformer/XalanDefaultParsedSource.hpp>
#include <xercesc/dom/DOM.hpp>

XERCES_CPP_NAMESPACE_USE

namespace domSourceTree {
namespace {

const XMLCh noNamespace[] = u"";
const XMLCh cdataType[] = u"CDATA";
const XMLCh rootName[] = u"VXNResponse";

// A parsed source as the transformer takes it, over a tree of its own.
class OwnTree : public xalanc::XalanParsedSource {
public:
    OwnTree() : m_domSupport(m_liaison) {}
    ~OwnTree() override { xalanc::XalanDestroy(memory(), *m_document); }
    OwnTree(const OwnTree&) = delete;
    OwnTree& operator=(const OwnTree&) = delete;

    xalanc::XalanSourceTreeDocument* document() const { return m_document; }

    xalanc::XalanDocument* getDocument() const override { return m_document; }
    xalanc::XalanParsedSourceHelper* createHelper(xalanc::MemoryManager& manager) const override {
        return xalanc::XalanDefaultParsedSourceHelper::create(m_domSupport, manager);
    }
    const xalanc::XalanDOMString& getURI() const override { return m_uri; }

private:
    using Document = xalanc::XalanSourceTreeDocument;
    static xalanc::MemoryManager& memory() {
        return xalanc::XalanMemMgrs::getDefaultXercesMemMgr();
    }
    // Every text is pooled, as the processor does with a text it parses: a report repeats its
    // values (models, states, zero counters) many times. The values' table is larger than the
    // processor's own, whose 997 buckets make each lookup walk hundreds of strings at 50,000
    // rows; 16381 buckets cost about half a megabyte.
    static constexpr Document::bucket_count_type valueBuckets = 16381;
    static Document* created() {
        return Document::create(memory(), true, Document::eDefaultNamesStringPoolBlockSize,
                                Document::eDefaultNamesStringPoolBucketCount,
                                Document::eDefaultNamesStringPoolBucketSize,
                                Document::eDefaultValuesStringPoolBlockSize, valueBuckets,
                                Document::eDefaultValuesStringPoolBucketSize);
    }

    xalanc::XalanSourceTreeParserLiaison m_liaison{memory()};
    xalanc::XalanSourceTreeDOMSupport m_domSupport;
    Document* m_document = created();
    xalanc::XalanDOMString m_uri{memory()};
};

// Characters XML 1.0 carries: a writer refuses or changes anything else.
bool carried(const XMLCh* text) {
    for (const XMLCh* at = text; *at; ++at) {
        const char16_t c = *at;
        if (c >= 0x20 && c < 0xD800)
            continue;
        if (c == 0x9 || c == 0xA || c == 0xD || (c >= 0xE000 && c <= 0xFFFD))
            continue;
        if (c >= 0xD800 && c <= 0xDBFF && at[1] >= 0xDC00 && at[1] <= 0xDFFF) {
            ++at;
            continue;
        }
        return false;
    }
    return true;
}

// A name without prefix that no XML rule (xml:space, xmlns) gives a meaning of its own.
bool plainName(const XMLCh* name) {
    if (XMLString::indexOf(name, u':') >= 0)
        return false;
    const auto lower = [](XMLCh c) {
        return c | 0x20;
    };
    return !(name[0] && name[1] && name[2] && lower(name[0]) == u'x' && lower(name[1]) == u'm' &&
             lower(name[2]) == u'l');
}

class Walker {
public:
    Walker(xalanc::XalanSourceTreeContentHandler& handler, const StripsWhitespace& strips)
        : m_handler(handler), m_strips(strips) {}

    bool root(std::span<const dom::Element* const> parts) {
        if (!m_strips(rootName))
            return false;
        m_handler.startDocument();
        m_attributes.clear();
        m_handler.startElement(noNamespace, rootName, rootName, m_attributes);
        for (const DOMElement* part : parts)
            if (part && !element(part))
                return false;
        m_handler.endElement(noNamespace, rootName, rootName);
        m_handler.endDocument();
        return true;
    }

private:
    bool element(const DOMElement* node) {
        const XMLCh* name = node->getTagName();
        if (node->getNamespaceURI() || !plainName(name) || !attributes(node))
            return false;
        bool elements = false;
        bool text = false;
        for (const DOMNode* child = node->getFirstChild(); child; child = child->getNextSibling()) {
            const DOMNode::NodeType type = child->getNodeType();
            if (type == DOMNode::ELEMENT_NODE)
                elements = true;
            else if (type == DOMNode::TEXT_NODE)
                text = true;
            else
                return false;
        }
        // The indentation would join text beside elements, so only the text shows it as it is.
        if ((elements && text) || (elements && !m_strips(name)))
            return false;
        m_handler.startElement(noNamespace, name, name, m_attributes);
        for (const DOMNode* child = node->getFirstChild(); child; child = child->getNextSibling()) {
            if (child->getNodeType() == DOMNode::ELEMENT_NODE) {
                if (!element(static_cast<const DOMElement*>(child)))
                    return false;
                continue;
            }
            const XMLCh* value = child->getNodeValue();
            if (!carried(value))
                return false;
            if (const XMLSize_t length = XMLString::stringLen(value))
                m_handler.characters(value, xalanc::XalanSize_t(length));
        }
        m_handler.endElement(noNamespace, name, name);
        return true;
    }

    // The element's attributes into m_attributes, in the order the writer writes them.
    bool attributes(const DOMElement* node) {
        m_attributes.clear();
        const DOMNamedNodeMap* map = node->getAttributes();
        for (XMLSize_t i = 0, count = map ? map->getLength() : 0; i < count; ++i) {
            const DOMNode* attribute = map->item(i);
            const XMLCh* name = attribute->getNodeName();
            const XMLCh* value = attribute->getNodeValue();
            if (attribute->getNamespaceURI() || !plainName(name) || !carried(value))
                return false;
            m_attributes.addAttribute(noNamespace, name, name, cdataType, value);
        }
        return true;
    }

    xalanc::XalanSourceTreeContentHandler& m_handler;
    const StripsWhitespace& m_strips;
    xalanc::AttributesImpl m_attributes{xalanc::XalanMemMgrs::getDefaultXercesMemMgr()};
};

} // namespace

std::unique_ptr<xalanc::XalanParsedSource> build(std::span<const dom::Element* const> parts,
                                                 const StripsWhitespace& strips) {
    auto tree = std::make_unique<OwnTree>();
    xalanc::XalanSourceTreeContentHandler handler(xalanc::XalanMemMgrs::getDefaultXercesMemMgr(),
                                                  tree->document());
    Walker walker(handler, strips);
    if (!walker.root(parts))
        return nullptr;
    return tree;
}

} // namespace domSourceTree
