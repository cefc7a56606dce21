#include "VXNServiceFramework/dom/DomBuild.h"

#include "VXNServiceFramework/dom/BuildGuard.h"
#include "VXNServiceFramework/dom/FastAppend.h"
#include "VXNServiceFramework/dom/XercesString.h"

#include <xercesc/dom/DOM.hpp>
#include <xercesc/util/XMLChar.hpp>

XERCES_CPP_NAMESPACE_USE

namespace dom {

bool isValidName(const QString& name) {
    return !name.isEmpty() && XMLChar1_0::isValidName(toXml(name));
}

Element* createElement(RawDocument* document, const QString& name) {
    return guarded([&] { return document->createElement(toXml(name)); });
}

Element* createTextElement(RawDocument* document, const QString& name, const QString& text) {
    DOMElement* element = createElement(document, name);
    fastappend::appendNew(element, document->createTextNode(toXml(xmlCharsOnly(text))));
    return element;
}

Element* appendElement(Element* parent, const QString& name) {
    DOMElement* element = createElement(parent->getOwnerDocument(), name);
    fastappend::appendNew(parent, element);
    return element;
}

Element* appendTextElement(Element* parent, const QString& name, const QString& text) {
    DOMElement* element = createTextElement(parent->getOwnerDocument(), name, text);
    fastappend::appendNew(parent, element);
    return element;
}

Element* appendCDataElement(Element* parent, const QString& name, const QString& text) {
    DOMElement* element = appendElement(parent, name);
    DOMDocument* document = parent->getOwnerDocument();
    const QString clean = xmlCharsOnly(text);
    const QString end = QStringLiteral("]]>");
    qsizetype from = 0;
    // Each cut falls between "]]" and ">", so no section holds the whole terminator.
    for (qsizetype at = clean.indexOf(end); at >= 0; at = clean.indexOf(end, at + 1)) {
        element->appendChild(document->createCDATASection(toXml(clean.mid(from, at + 2 - from))));
        from = at + 2;
    }
    element->appendChild(document->createCDATASection(toXml(clean.mid(from))));
    return element;
}

void appendTextElements(Element* parent, const StringPairs& pairs) {
    for (const auto& [name, text] : pairs)
        appendTextElement(parent, name, text);
}

void setAttribute(Element* element, const QString& name, const QString& value) {
    guarded([&] { element->setAttribute(toXml(name), toXml(xmlCharsOnly(value))); });
}

void setText(Element* element, const QString& text) {
    guarded([&] { element->setTextContent(toXml(xmlCharsOnly(text))); });
}

Element* appendCopy(Element* parent, const Element* source) {
    return guarded([&] {
        DOMNode* copy = parent->getOwnerDocument()->importNode(source, true);
        return static_cast<DOMElement*>(parent->appendChild(copy));
    });
}

Element* appendChild(Element* parent, Element* child) {
    return guarded([&] { return static_cast<DOMElement*>(parent->appendChild(child)); });
}

RawDocument* ownerDocument(const Element* element) {
    return element->getOwnerDocument();
}

} // namespace dom
