#include "VXNServiceFramework/dom/DomTreeBuilder.h"

#include "VXNServiceFramework/dom/BuildGuard.h"
#include "VXNServiceFramework/dom/FastAppend.h"

#include <charconv>
#include <xercesc/dom/DOM.hpp>

XERCES_CPP_NAMESPACE_USE

namespace dom {
Element* TreeBuilder::element(const QString& name) const {
    return createElement(m_document, name);
}

Element* TreeBuilder::textElement(const QString& name, const QString& text) const {
    DOMElement* element = createElement(m_document, name);
    if (!text.isEmpty())
        fastappend::appendNew(element, m_document->createTextNode(toXml(xmlCharsOnly(text))));
    return element;
}

Element* TreeBuilder::textElement(const QString& name, qint64 number) const {
    // Digits straight into the text node, without a string of their own.
    char digits[24];
    const auto written = std::to_chars(digits, digits + sizeof digits, number).ptr;
    XMLCh text[sizeof digits + 1];
    std::copy(digits, written, text);
    text[written - digits] = 0;
    DOMElement* element = createElement(m_document, name);
    fastappend::appendNew(element, m_document->createTextNode(text));
    return element;
}

// Built apart from the document, every append is of a node just made.
void TreeBuilder::append(Element* parent, Element* child) const {
    fastappend::appendNew(parent, child);
}

} // namespace dom
