#include "VXNServiceFramework/dom/FastAppend.h"

#include <xercesc/dom/DOM.hpp>
#include <xercesc/util/XercesVersion.hpp>

// The node layout below is the one of Xerces 3.2; another version appends the standard way.
#if XERCES_VERSION_MAJOR == 3 && XERCES_VERSION_MINOR == 2
#define VELM_FAST_APPEND 1
#include <xercesc/dom/impl/DOMAttrImpl.hpp>
#include <xercesc/dom/impl/DOMAttrMapImpl.hpp>
#include <xercesc/dom/impl/DOMDocumentImpl.hpp>
#include <xercesc/dom/impl/DOMElementImpl.hpp>
#include <xercesc/dom/impl/DOMTextImpl.hpp>
#endif

#include "VXNServiceFramework/dom/XercesString.h"

XERCES_CPP_NAMESPACE_USE

namespace dom::fastappend {

#ifdef VELM_FAST_APPEND
namespace {

// One part of an element or text node (its node data or its sibling links); null for any
// other kind.
template <class Part>
Part* partOf(DOMNode* node, Part DOMElementImpl::*ofElement, Part DOMTextImpl::*ofText) {
    switch (node->getNodeType()) {
    case DOMNode::ELEMENT_NODE:
        return &(static_cast<DOMElementImpl*>(node)->*ofElement);
    case DOMNode::TEXT_NODE:
        return &(static_cast<DOMTextImpl*>(node)->*ofText);
    default:
        return nullptr;
    }
}

DOMChildNode* siblingLinks(DOMNode* node) {
    return partOf(node, &DOMElementImpl::fChild, &DOMTextImpl::fChild);
}

DOMNodeImpl* nodeParts(DOMNode* node) {
    return partOf(node, &DOMElementImpl::fNode, &DOMTextImpl::fNode);
}

// The same for a node whose kind the caller knows, without asking the node.
template <class Impl> DOMChildNode* siblingLinks(Impl* node) {
    return &node->fChild;
}

template <class Impl> DOMNodeImpl* nodeParts(Impl* node) {
    return &node->fNode;
}

// Links `child` in as the last child of the node that owns `children`; false (and nothing done)
// when a node involved is of a kind this does not know.
template <class Child> bool linkLast(DOMParentNode& children, DOMNode* owner, Child* child) {
    DOMNode*& first = children.fFirstChild;
    DOMChildNode* links = siblingLinks(child);
    DOMNodeImpl* parts = nodeParts(child);
    DOMChildNode* firstLinks = first ? siblingLinks(first) : nullptr;
    DOMChildNode* lastLinks = firstLinks ? siblingLinks(firstLinks->previousSibling) : nullptr;
    if (!links || !parts || (first && !lastLinks))
        return false;
    parts->fOwnerNode = owner;
    parts->isOwned(true);
    if (!first) {
        // The first child's previous sibling is the last child.
        first = child;
        parts->isFirstChild(true);
        links->previousSibling = child;
    } else {
        DOMNode* last = firstLinks->previousSibling;
        lastLinks->nextSibling = child;
        links->previousSibling = last;
        firstLinks->previousSibling = child;
    }
    // Node lists of the document learn that the tree changed, as after appendChild.
    static_cast<DOMDocumentImpl*>(children.fOwnerDocument)->changed();
    return true;
}

// Links `child` in as the last child of `parent`, the standard way when linkLast cannot.
template <class Child> void appendLast(Element* parent, Child* child) {
    if (!linkLast(static_cast<DOMElementImpl*>(parent)->fParent, parent, child))
        parent->appendChild(child);
}

} // namespace

void appendNew(Element* parent, Node* child) {
    appendLast(parent, child);
}

// What Xerces' own parser does for the elements, texts and attributes it reads.
namespace {

DOMElementImpl* newElementImpl(RawDocument* document, const XMLCh* acceptedName) {
    return static_cast<DOMElementImpl*>(
        static_cast<DOMDocumentImpl*>(document)->createElementNoCheck(acceptedName));
}

DOMTextImpl* newTextImpl(RawDocument* document, QStringView text) {
    auto* documentImpl = static_cast<DOMDocumentImpl*>(document);
    return new (documentImpl, DOMMemoryManager::TEXT_OBJECT) DOMTextImpl(
        documentImpl, reinterpret_cast<const XMLCh*>(text.utf16()), XMLSize_t(text.size()));
}

} // namespace

Node* newText(RawDocument* document, QStringView text) {
    return newTextImpl(document, text);
}

Element* appendNewElement(Element* parent, const XMLCh* acceptedName) {
    DOMElementImpl* element = newElementImpl(parent->getOwnerDocument(), acceptedName);
    appendLast(parent, element);
    return element;
}

Element* appendNewTextElement(Element* parent, const XMLCh* acceptedName, QStringView text) {
    RawDocument* document = parent->getOwnerDocument();
    DOMElementImpl* element = newElementImpl(document, acceptedName);
    appendLast(element, newTextImpl(document, text));
    appendLast(parent, element);
    return element;
}

void addNewAttribute(Element* element, const XMLCh* acceptedName, QStringView value) {
    RawDocument* document = element->getOwnerDocument();
    auto* attribute = static_cast<DOMAttrImpl*>(document->createAttribute(acceptedName));
    // The value is the attribute's one text child.
    linkLast(attribute->fParent, attribute, newTextImpl(document, value));
    DOMAttrMapImpl* attributes = static_cast<DOMElementImpl*>(element)->fAttributes;
    // Makes the map's list when it has none yet, which the fast setter takes for granted.
    attributes->reserve(1);
    attributes->setNamedItemFast(attribute);
}
#else
void appendNew(Element* parent, Node* child) {
    parent->appendChild(child);
}

Node* newText(RawDocument* document, QStringView text) {
    return document->createTextNode(toXml(text.toString()));
}

Element* appendNewElement(Element* parent, const XMLCh* acceptedName) {
    return static_cast<Element*>(
        parent->appendChild(parent->getOwnerDocument()->createElement(acceptedName)));
}

Element* appendNewTextElement(Element* parent, const XMLCh* acceptedName, QStringView text) {
    Element* element = appendNewElement(parent, acceptedName);
    element->appendChild(newText(parent->getOwnerDocument(), text));
    return element;
}

void addNewAttribute(Element* element, const XMLCh* acceptedName, QStringView value) {
    element->setAttribute(acceptedName, toXml(value.toString()));
}
#endif

} // namespace dom::fastappend
