#include "VXNServiceFramework/dom/DomRead.h"

#include "VXNServiceFramework/dom/XercesString.h"

#include <xercesc/dom/DOM.hpp>

XERCES_CPP_NAMESPACE_USE

namespace dom {
namespace {

bool descends(const DOMNode* node) {
    const auto type = node->getNodeType();
    return type == DOMNode::ELEMENT_NODE || type == DOMNode::DOCUMENT_NODE ||
           type == DOMNode::ENTITY_REFERENCE_NODE;
}

// Next node after `node` in document order within the subtree of `top`, entering the children
// of `node` only when it can hold elements or text.
const DOMNode* nextInSubtree(const DOMNode* node, const DOMNode* top) {
    if (descends(node) && node->getFirstChild())
        return node->getFirstChild();
    while (node != top && !node->getNextSibling())
        node = node->getParentNode();
    return node == top ? nullptr : node->getNextSibling();
}

bool isElementNamed(const DOMNode* node, const QString& name) {
    return node->getNodeType() == DOMNode::ELEMENT_NODE && QStringView(node->getNodeName()) == name;
}

// Visits the descendants called `name` until `visit` answers false.
template <class Visit> void walkNamed(NodeRef scope, const QString& name, Visit visit) {
    const DOMNode* top = scope.node();
    if (!top)
        return;
    for (const DOMNode* node = nextInSubtree(top, top); node; node = nextInSubtree(node, top)) {
        if (isElementNamed(node, name) &&
            !visit(static_cast<DOMElement*>(const_cast<DOMNode*>(node))))
            return;
    }
}

template <class Visit> void walkChildren(NodeRef scope, const QString& name, Visit visit) {
    if (!scope)
        return;
    for (DOMNode* child = scope.node()->getFirstChild(); child; child = child->getNextSibling()) {
        if (child->getNodeType() != DOMNode::ELEMENT_NODE)
            continue;
        if ((name.isNull() || QStringView(child->getNodeName()) == name) &&
            !visit(static_cast<DOMElement*>(child)))
            return;
    }
}

template <class Add> void forEachChildText(NodeRef scope, Add add) {
    walkChildren(scope, QString(), [&](DOMElement* child) {
        add(name(child), textContent(child));
        return true;
    });
}

} // namespace

void forEachDescendant(NodeRef scope, const QString& name, const ElementVisit& visit) {
    walkNamed(scope, name, [&](DOMElement* element) {
        visit(element);
        return true;
    });
}

Element* firstDescendant(NodeRef scope, const QString& name) {
    DOMElement* found = nullptr;
    walkNamed(scope, name, [&](DOMElement* element) {
        found = element;
        return false;
    });
    return found;
}

Element* onlyDescendant(NodeRef scope, const QString& name) {
    DOMElement* found = nullptr;
    int count = 0;
    walkNamed(scope, name, [&](DOMElement* element) {
        found = element;
        return ++count < 2;
    });
    return count == 1 ? found : nullptr;
}

int countDescendants(NodeRef scope, const QString& name) {
    int count = 0;
    walkNamed(scope, name, [&](DOMElement*) { return ++count > 0; });
    return count;
}

void forEachChild(NodeRef scope, const ElementVisit& visit, const QString& name) {
    walkChildren(scope, name, [&](DOMElement* element) {
        visit(element);
        return true;
    });
}

Element* firstChild(NodeRef scope, const QString& name) {
    DOMElement* found = nullptr;
    walkChildren(scope, name, [&](DOMElement* element) {
        found = element;
        return false;
    });
    return found;
}

QString name(const Element* element) {
    return element ? fromXml(element->getNodeName()) : QString();
}

QString attribute(const Element* element, const QString& name, bool* present) {
    const DOMAttr* node = element ? element->getAttributeNode(toXml(name)) : nullptr;
    if (present)
        *present = node != nullptr;
    return node ? fromXml(node->getValue()) : QString();
}

void forEachAttribute(const Element* element,
                      const std::function<void(const QString&, const QString&)>& visit) {
    const DOMNamedNodeMap* attributes = element ? element->getAttributes() : nullptr;
    if (!attributes)
        return;
    for (XMLSize_t i = 0; i < attributes->getLength(); ++i) {
        const DOMNode* item = attributes->item(i);
        visit(fromXml(item->getNodeName()), fromXml(item->getNodeValue()));
    }
}

QString textContent(NodeRef scope) {
    QString text;
    const DOMNode* top = scope.node();
    for (const DOMNode* node = top; node; node = nextInSubtree(node, top)) {
        const auto type = node->getNodeType();
        if (type == DOMNode::TEXT_NODE || type == DOMNode::CDATA_SECTION_NODE)
            text += QStringView(node->getNodeValue());
    }
    return text;
}

void childPairs(NodeRef scope, StringPairs& pairs) {
    forEachChildText(scope, [&](QString name, QString text) {
        pairs.append({std::move(name), std::move(text)});
    });
}

void childPairs(NodeRef scope, StringMap& map) {
    forEachChildText(
        scope, [&](QString name, QString text) { map.insert(std::move(name), std::move(text)); });
}

} // namespace dom
