#include "VXNServiceFramework/dom/DomTreeBuilder.h"

#include "VXNServiceFramework/dom/BuildGuard.h"

#include <charconv>
#include <xercesc/dom/DOM.hpp>
// Xerces' implementation headers are installed with it; only this file includes them.
#include <xercesc/dom/impl/DOMElementImpl.hpp>
#include <xercesc/dom/impl/DOMTextImpl.hpp>

XERCES_CPP_NAMESPACE_USE

namespace dom {
namespace {

// The parts of a node that place it among its siblings. Only elements (made by createElement:
// DOMElementImpl) and texts (createTextNode: DOMTextImpl) are made here.
struct Links {
    DOMNodeImpl& node;
    DOMChildNode& siblings;
};

Links linksOf(DOMNode* node) {
    if (node->getNodeType() == DOMNode::TEXT_NODE) {
        auto* text = static_cast<DOMTextImpl*>(node);
        return {text->fNode, text->fChild};
    }
    auto* element = static_cast<DOMElementImpl*>(node);
    return {element->fNode, element->fChild};
}

// What the parser's append (DOMParentNode::appendChildFast) does, with the node types known
// instead of found by run-time casts, which cost several times the rest of the build. A first
// child's previous sibling is the last child.
void link(DOMElement* parent, DOMNode* child) {
    DOMParentNode& children = static_cast<DOMElementImpl*>(parent)->fParent;
    const Links added = linksOf(child);
    added.node.fOwnerNode = parent;
    added.node.isOwned(true);
    if (!children.fFirstChild) {
        children.fFirstChild = child;
        added.node.isFirstChild(true);
        added.siblings.previousSibling = child;
        return;
    }
    DOMChildNode& first = linksOf(children.fFirstChild).siblings;
    DOMNode* last = first.previousSibling;
    linksOf(last).siblings.nextSibling = child;
    added.siblings.previousSibling = last;
    first.previousSibling = child;
}

} // namespace

Element* TreeBuilder::element(const QString& name) const {
    return createElement(m_document, name);
}

Element* TreeBuilder::textElement(const QString& name, const QString& text) const {
    DOMElement* element = createElement(m_document, name);
    if (!text.isEmpty())
        link(element, m_document->createTextNode(toXml(xmlCharsOnly(text))));
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
    link(element, m_document->createTextNode(text));
    return element;
}

void TreeBuilder::append(Element* parent, Element* child) const {
    link(parent, child);
}

} // namespace dom
