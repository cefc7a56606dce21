#include "VXNServiceFramework/dom/ElementFactory.h"

#include "VXNServiceFramework/dom/BuildGuard.h"
#include "VXNServiceFramework/dom/FastAppend.h"
#include "VXNServiceFramework/dom/XercesString.h"

#include <xercesc/dom/DOM.hpp>

XERCES_CPP_NAMESPACE_USE

namespace dom {

struct ElementFactory::Entry {
    // A copy that owns its data, so that the view Xerces is handed stays NUL-terminated and
    // where it is for the factory's life.
    QString text;
    bool elementAccepted = false;
    bool attributeAccepted = false;
};

ElementFactory::ElementFactory(RawDocument* document) : m_document(document) {}

ElementFactory::~ElementFactory() = default;

ElementFactory::Name ElementFactory::name(const QString& name) {
    Entry*& found = m_byName[name];
    if (!found) {
        auto entry = std::make_unique<Entry>();
        entry->text = QString(name.constData(), name.size());
        // A string with no data of its own gets some, so its view stays put.
        entry->text.detach();
        found = m_entries.emplace_back(std::move(entry)).get();
    }
    return Name(found);
}

Element* ElementFactory::create(Entry& entry) {
    if (entry.elementAccepted)
        return fastappend::newElement(m_document, toXml(entry.text));
    DOMElement* element = guarded([&] { return m_document->createElement(toXml(entry.text)); });
    entry.elementAccepted = true;
    return element;
}

Element* ElementFactory::append(Element* parent, Name name) {
    DOMElement* element = create(*name.m_entry);
    fastappend::appendNew(parent, element);
    return element;
}

Element* ElementFactory::appendText(Element* parent, Name name, const QString& text) {
    DOMElement* element = create(*name.m_entry);
    fastappend::appendNew(element, fastappend::newText(m_document, xmlCharsOnly(text)));
    fastappend::appendNew(parent, element);
    return element;
}

void ElementFactory::addAttribute(Element* element, Name name, const QString& value) {
    Entry& entry = *name.m_entry;
    const QString clean = xmlCharsOnly(value);
    if (entry.attributeAccepted) {
        fastappend::addNewAttribute(element, toXml(entry.text), toXml(clean));
        return;
    }
    guarded([&] { element->setAttribute(toXml(entry.text), toXml(clean)); });
    entry.attributeAccepted = true;
}

} // namespace dom
