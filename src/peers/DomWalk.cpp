#include "peers/DomWalk.h"

#include "VXNServiceFramework/packets/WrongPacketFormat.h"
#include "VXNServiceFramework/packets/XercesString.h"

#include <xercesc/dom/DOM.hpp>

XERCES_CPP_NAMESPACE_USE

namespace peers::dom {
namespace {
template <class F> auto guarded(F&& f) {
    try {
        return f();
    } catch (const DOMException& e) {
        throw WrongPacketFormat(fromXml(e.getMessage()));
    }
}
} // namespace

void forEachDescendant(const Element* node, const QString& name,
                       const std::function<void(const Element*)>& visit) {
    if (!node)
        return;
    // Iterative pre-order walk: deep documents cannot exhaust the stack.
    const DOMNode* current = node->getFirstChild();
    while (current) {
        if (current->getNodeType() == DOMNode::ELEMENT_NODE) {
            if (QStringView(current->getNodeName()) == name)
                visit(static_cast<const Element*>(current));
            if (current->getFirstChild()) {
                current = current->getFirstChild();
                continue;
            }
        }
        while (current != node && !current->getNextSibling())
            current = current->getParentNode();
        current = current == node ? nullptr : current->getNextSibling();
    }
}

void forEachChild(const Element* node, const std::function<void(const Element*)>& visit,
                  const QString& name) {
    if (!node)
        return;
    for (const DOMNode* child = node->getFirstChild(); child; child = child->getNextSibling()) {
        if (child->getNodeType() != DOMNode::ELEMENT_NODE)
            continue;
        if (name.isNull() || QStringView(child->getNodeName()) == name)
            visit(static_cast<const Element*>(child));
    }
}

int countDescendants(const Element* node, const QString& name) {
    int count = 0;
    forEachDescendant(node, name, [&](const Element*) { ++count; });
    return count;
}

const Element* onlyDescendant(const Element* node, const QString& name) {
    const Element* found = nullptr;
    int count = 0;
    forEachDescendant(node, name, [&](const Element* e) {
        found = e;
        ++count;
    });
    return count == 1 ? found : nullptr;
}

QString name(const Element* element) {
    return fromXml(element->getNodeName());
}

QString attribute(const Element* element, const QString& name, bool* present) {
    const DOMAttr* node = element->getAttributeNode(toXml(name));
    if (present)
        *present = node != nullptr;
    return node ? fromXml(node->getValue()) : QString();
}

void forEachAttribute(const Element* element,
                      const std::function<void(const QString&, const QString&)>& visit) {
    const DOMNamedNodeMap* attributes = element->getAttributes();
    if (!attributes)
        return;
    for (XMLSize_t i = 0; i < attributes->getLength(); ++i) {
        const DOMNode* item = attributes->item(i);
        visit(fromXml(item->getNodeName()), fromXml(item->getNodeValue()));
    }
}

Element* appendElement(Element* parent, const QString& name, const QString* text) {
    return guarded([&] {
        DOMDocument* document = parent->getOwnerDocument();
        Element* element = document->createElement(toXml(name));
        if (text)
            element->appendChild(document->createTextNode(toXml(*text)));
        parent->appendChild(element);
        return element;
    });
}

void setAttribute(Element* element, const QString& name, const QString& value) {
    guarded([&] { element->setAttribute(toXml(name), toXml(value)); });
}
} // namespace peers::dom
