#include "VXNServiceFramework/dom/PlainXmlWriter.h"

#include "VXNServiceFramework/dom/XercesString.h"

#include <QVarLengthArray>
#include <xercesc/dom/DOM.hpp>

XERCES_CPP_NAMESPACE_USE

namespace dom::plainxml {
namespace {

// What Xerces' writer puts before the root element of a document it writes to a string.
constexpr char16_t declaration[] =
    u"<?xml version=\"1.0\" encoding=\"UTF-16\" standalone=\"no\" ?>";

enum class Context { Text, Attribute };

// The reference Xerces writes for `c` in `context`, null when the character stays as it is.
// Characters XML cannot carry are answered by isXmlChar, not here.
const char16_t* reference(char16_t c, Context context) {
    switch (c) {
    case u'&':
        return u"&amp;";
    case u'<':
        return u"&lt;";
    case u'>':
        return context == Context::Text ? u"&gt;" : nullptr;
    case u'"':
        return context == Context::Attribute ? u"&quot;" : nullptr;
    case u'\t':
        return context == Context::Attribute ? u"&#x9;" : nullptr;
    case u'\n':
        return context == Context::Attribute ? u"&#xA;" : nullptr;
    case u'\r':
        return u"&#xD;";
    default:
        return nullptr;
    }
}

// Appends `text` with its references; false at a character XML 1.0 cannot carry (a control
// character other than tab, LF and CR, an unpaired surrogate, U+FFFE, U+FFFF).
bool appendEscaped(QString& out, const XMLCh* text, Context context) {
    if (!text)
        return true;
    const XMLCh* run = text;
    for (const XMLCh* at = text;; ++at) {
        const char16_t c = *at;
        // Everything above '>' up to the surrogates needs no look.
        if (c > u'>' && c < 0xD800)
            continue;
        if (c == 0) {
            out.append(QStringView(run, at - run));
            return true;
        }
        if (QChar::isHighSurrogate(c)) {
            if (!QChar::isLowSurrogate(at[1]))
                return false;
            ++at;
            continue;
        }
        if (QChar::isLowSurrogate(c) || c >= 0xFFFE ||
            (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r'))
            return false;
        if (const char16_t* replacement = reference(c, context)) {
            out.append(QStringView(run, at - run));
            out.append(QStringView(replacement));
            run = at + 1;
        }
    }
}

void appendName(QString& out, const XMLCh* name) {
    out.append(QStringView(name));
}

bool isPlain(const DOMNode* node) {
    return !node->getNamespaceURI() && !node->getPrefix();
}

bool appendStartTag(QString& out, const DOMElement* element) {
    if (!isPlain(element))
        return false;
    out.append(u'<');
    appendName(out, element->getTagName());
    const DOMNamedNodeMap* attributes = element->getAttributes();
    const XMLSize_t count = attributes ? attributes->getLength() : 0;
    for (XMLSize_t i = 0; i < count; ++i) {
        const auto* attribute = static_cast<const DOMAttr*>(attributes->item(i));
        // The writer leaves out defaulted attributes; such a tree is left to it.
        if (!isPlain(attribute) || !attribute->getSpecified())
            return false;
        out.append(u' ');
        appendName(out, attribute->getName());
        out.append(u"=\"");
        if (!appendEscaped(out, attribute->getValue(), Context::Attribute))
            return false;
        out.append(u'"');
    }
    return true;
}

void appendEndTag(QString& out, const DOMNode* element) {
    out.append(u"</");
    appendName(out, element->getNodeName());
    out.append(u'>');
}

// Writes the subtree of `top` in document order without recursion: a report body is deep
// enough in places and wide everywhere. The open elements are kept on a stack of our own;
// asking Xerces for a node's parent costs a dynamic_cast each time.
bool appendTree(QString& out, const DOMNode* top) {
    QVarLengthArray<const DOMNode*, 32> open;
    const DOMNode* node = top;
    for (;;) {
        const DOMNode* firstChild = nullptr;
        switch (node->getNodeType()) {
        case DOMNode::ELEMENT_NODE:
            if (!appendStartTag(out, static_cast<const DOMElement*>(node)))
                return false;
            firstChild = node->getFirstChild();
            out.append(firstChild ? u">" : u"/>");
            break;
        case DOMNode::TEXT_NODE:
            if (!appendEscaped(out, node->getNodeValue(), Context::Text))
                return false;
            break;
        default:
            return false;
        }
        if (firstChild) {
            open.append(node);
            node = firstChild;
            continue;
        }
        // Close every element this node was the last of.
        while (!open.isEmpty() && !node->getNextSibling()) {
            node = open.last();
            open.removeLast();
            appendEndTag(out, node);
        }
        if (open.isEmpty())
            return true;
        node = node->getNextSibling();
    }
}

bool appendDocument(QString& out, const DOMDocument* document) {
    const DOMNode* root = document->getFirstChild();
    if (!root || root->getNodeType() != DOMNode::ELEMENT_NODE || root->getNextSibling() ||
        document->getXmlStandalone())
        return false;
    // The writer names the document's own version, 1.0 when it has none.
    const XMLCh* version = document->getXmlVersion();
    if (version && QStringView(version) != u"1.0")
        return false;
    out.append(QStringView(declaration));
    return appendTree(out, root);
}

} // namespace

bool append(QString& out, NodeRef ref) {
    const DOMNode* node = ref.node();
    if (!node)
        return false;
    const qsizetype size = out.size();
    const bool written = node->getNodeType() == DOMNode::DOCUMENT_NODE
                             ? appendDocument(out, static_cast<const DOMDocument*>(node))
                             : appendTree(out, node);
    if (!written)
        out.truncate(size);
    return written;
}

} // namespace dom::plainxml
