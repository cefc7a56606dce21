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
    auto found = m_byName.constFind(name);
    if (found != m_byName.cend())
        return Name(*found);
    const qsizetype id = qsizetype(m_entries.size());
    Entry& entry = m_entries.emplace_back();
    entry.text = QString(name.constData(), name.size());
    // A string with no data of its own gets some, so its view stays put.
    entry.text.detach();
    m_byName.insert(name, id);
    return Name(id);
}

qsizetype ElementFactory::nameCount() const {
    return qsizetype(m_entries.size());
}

Element* ElementFactory::checkedElement(Entry& entry) {
    DOMElement* element = guarded([&] { return m_document->createElement(toXml(entry.text)); });
    entry.elementAccepted = true;
    return element;
}

Element* ElementFactory::append(Element* parent, Name name) {
    Entry& entry = m_entries[std::size_t(name.m_id)];
    if (entry.elementAccepted)
        return fastappend::appendNewElement(parent, toXml(entry.text));
    DOMElement* element = checkedElement(entry);
    fastappend::appendNew(parent, element);
    return element;
}

Element* ElementFactory::appendText(Element* parent, Name name, const QString& text) {
    Entry& entry = m_entries[std::size_t(name.m_id)];
    // Nearly every text is clean and is read where it is.
    const QString cleaned = isXmlCharsOnly(text) ? QString() : xmlCharsOnly(text);
    const QStringView clean = cleaned.isNull() ? QStringView(text) : QStringView(cleaned);
    if (entry.elementAccepted)
        return fastappend::appendNewTextElement(parent, toXml(entry.text), clean);
    DOMElement* element = checkedElement(entry);
    fastappend::appendNew(element, fastappend::newText(m_document, clean));
    fastappend::appendNew(parent, element);
    return element;
}

void ElementFactory::addAttribute(Element* element, Name name, const QString& value) {
    Entry& entry = m_entries[std::size_t(name.m_id)];
    const QString clean = xmlCharsOnly(value);
    if (entry.attributeAccepted) {
        fastappend::addNewAttribute(element, toXml(entry.text), clean);
        return;
    }
    guarded([&] { element->setAttribute(toXml(entry.text), toXml(clean)); });
    entry.attributeAccepted = true;
}

} // namespace dom
