#include "VXNServiceFramework/dom/PlainXmlWriter.h"

#include "VXNServiceFramework/dom/XercesString.h"

#include <QVarLengthArray>
#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <xercesc/dom/DOM.hpp>

XERCES_CPP_NAMESPACE_USE

namespace dom::plainxml {
namespace {

// What Xerces' writer puts before the root element of a document it writes to a string.
constexpr char16_t declaration[] =
    u"<?xml version=\"1.0\" encoding=\"UTF-16\" standalone=\"no\" ?>";

enum class Context { Text, Attribute };

// The text being written, straight into the string's own array: a large report is hundreds of
// thousands of short pieces, and QString::append's checks and the length scan of each name cost
// more than copying them.
class Output {
public:
    explicit Output(QString& text) : m_text(text), m_size(text.size()) {}
    // Gives the string its written length; what a failed write left past `size` goes.
    void finish(qsizetype size) { m_text.resize(size); }
    qsizetype size() const { return m_size; }

    void put(char16_t c) {
        reserve(1);
        m_data[m_size++] = c;
    }
    void put(const char16_t* text, qsizetype length) {
        reserve(length);
        std::copy_n(text, length, m_data + m_size);
        m_size += length;
    }
    void put(std::u16string_view text) { put(text.data(), qsizetype(text.size())); }
    // A name of the document: the document keeps one copy of each, so the length of the last
    // few seen is remembered rather than counted again.
    void putName(const XMLCh* name) {
        for (const NameLength& known : m_names)
            if (known.name == name)
                return put(name, known.length);
        const qsizetype length = qsizetype(std::char_traits<char16_t>::length(name));
        m_names[m_nextName++ % m_names.size()] = {name, length};
        put(name, length);
    }
    // Room for `more` characters past the written ones.
    void reserve(qsizetype more) {
        if (m_size + more <= m_capacity)
            return;
        m_capacity = std::max<qsizetype>({m_size + more, m_capacity * 2, 4096});
        m_text.resize(m_capacity);
        m_data = reinterpret_cast<char16_t*>(m_text.data());
    }

private:
    struct NameLength {
        const XMLCh* name = nullptr;
        qsizetype length = 0;
    };

    QString& m_text;
    char16_t* m_data = nullptr;
    qsizetype m_size;
    qsizetype m_capacity = 0;
    std::array<NameLength, 8> m_names{};
    std::size_t m_nextName = 0;
};

// The reference Xerces writes for `c` in `context`, empty when the character stays as it is.
// Characters XML cannot carry are answered by isXmlChar, not here.
std::u16string_view reference(char16_t c, Context context) {
    switch (c) {
    case u'&':
        return u"&amp;";
    case u'<':
        return u"&lt;";
    case u'>':
        return context == Context::Text ? u"&gt;" : std::u16string_view();
    case u'"':
        return context == Context::Attribute ? u"&quot;" : std::u16string_view();
    case u'\t':
        return context == Context::Attribute ? u"&#x9;" : std::u16string_view();
    case u'\n':
        return context == Context::Attribute ? u"&#xA;" : std::u16string_view();
    case u'\r':
        return u"&#xD;";
    default:
        return {};
    }
}

// Appends `text` with its references; false at a character XML 1.0 cannot carry (a control
// character other than tab, LF and CR, an unpaired surrogate, U+FFFE, U+FFFF).
bool appendEscaped(Output& out, const XMLCh* text, Context context) {
    if (!text)
        return true;
    const XMLCh* run = text;
    for (const XMLCh* at = text;; ++at) {
        const char16_t c = *at;
        // Everything above '>' up to the surrogates needs no look.
        if (c > u'>' && c < 0xD800)
            continue;
        if (c == 0) {
            out.put(run, at - run);
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
        if (const std::u16string_view replacement = reference(c, context); !replacement.empty()) {
            out.put(run, at - run);
            out.put(replacement);
            run = at + 1;
        }
    }
}

bool isPlain(const DOMNode* node) {
    return !node->getNamespaceURI() && !node->getPrefix();
}

bool appendStartTag(Output& out, const DOMElement* element) {
    if (!isPlain(element))
        return false;
    out.put(u'<');
    out.putName(element->getTagName());
    const DOMNamedNodeMap* attributes = element->getAttributes();
    const XMLSize_t count = attributes ? attributes->getLength() : 0;
    for (XMLSize_t i = 0; i < count; ++i) {
        const auto* attribute = static_cast<const DOMAttr*>(attributes->item(i));
        // The writer leaves out defaulted attributes; such a tree is left to it.
        if (!isPlain(attribute) || !attribute->getSpecified())
            return false;
        out.put(u' ');
        out.putName(attribute->getName());
        out.put(u"=\"");
        if (!appendEscaped(out, attribute->getValue(), Context::Attribute))
            return false;
        out.put(u'"');
    }
    return true;
}

void appendEndTag(Output& out, const DOMNode* element) {
    out.put(u"</");
    out.putName(element->getNodeName());
    out.put(u'>');
}

// Writes the subtree of `top` in document order without recursion: a report body is deep
// enough in places and wide everywhere. The open elements are kept on a stack of our own;
// asking Xerces for a node's parent costs a dynamic_cast each time.
bool appendTree(Output& out, const DOMNode* top) {
    QVarLengthArray<const DOMNode*, 32> open;
    const DOMNode* node = top;
    for (;;) {
        const DOMNode* firstChild = nullptr;
        switch (node->getNodeType()) {
        case DOMNode::ELEMENT_NODE:
            if (!appendStartTag(out, static_cast<const DOMElement*>(node)))
                return false;
            firstChild = node->getFirstChild();
            if (firstChild)
                out.put(u'>');
            else
                out.put(u"/>");
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

bool appendDocument(Output& out, const DOMDocument* document) {
    const DOMNode* root = document->getFirstChild();
    if (!root || root->getNodeType() != DOMNode::ELEMENT_NODE || root->getNextSibling() ||
        document->getXmlStandalone())
        return false;
    // The writer names the document's own version, 1.0 when it has none.
    const XMLCh* version = document->getXmlVersion();
    if (version && QStringView(version) != u"1.0")
        return false;
    out.put(declaration);
    return appendTree(out, root);
}

} // namespace

bool append(QString& out, NodeRef ref) {
    const DOMNode* node = ref.node();
    if (!node)
        return false;
    const qsizetype size = out.size();
    Output output(out);
    const bool written = node->getNodeType() == DOMNode::DOCUMENT_NODE
                             ? appendDocument(output, static_cast<const DOMDocument*>(node))
                             : appendTree(output, node);
    output.finish(written ? output.size() : size);
    return written;
}

} // namespace dom::plainxml
