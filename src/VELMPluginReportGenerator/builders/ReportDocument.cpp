#include "VELMPluginReportGenerator/builders/ReportDocument.h"

#include "VXNServiceFramework/packets/XercesRuntime.h"
#include "VXNServiceFramework/packets/XercesString.h"

#include <iostream>
#include <xercesc/dom/DOM.hpp>

XERCES_CPP_NAMESPACE_USE

namespace {

// Written as it is: tools that watch the service's error stream look for it.
constexpr char domExceptionText[] = "DOMException code is:  ";

DOMImplementation* implementation() {
    xercesRuntime::ensureInitialized();
    return DOMImplementationRegistry::getDOMImplementation(u"Core");
}

DOMElement* created(DOMDocument* document, const QString& name) {
    try {
        return document->createElement(toXml(name));
    } catch (const DOMException& e) {
        std::cerr << domExceptionText << e.code << std::endl;
        return nullptr;
    }
}

} // namespace

void ReportDocument::Release::operator()(DOMDocument* document) const {
    document->release();
}

ReportDocument::ReportDocument() : m_document(implementation()->createDocument()) {
    m_root = m_document->createElement(u"Root");
    m_document->appendChild(m_root);
}

ReportDocument::~ReportDocument() = default;

ReportDocument::DOMElement* ReportDocument::append(DOMElement* parent, const QString& name,
                                                   const QString& text) {
    DOMElement* element = created(m_document.get(), name);
    if (!element)
        return nullptr;
    parent->appendChild(element);
    if (!text.isEmpty())
        element->appendChild(m_document->createTextNode(toXml(xmlCharsOnly(text))));
    return element;
}

ReportDocument::DOMElement* ReportDocument::appendWithId(DOMElement* parent, const QString& name,
                                                         const QString& id) {
    DOMElement* element = append(parent, name);
    if (element)
        setAttribute(element, QStringLiteral("ID"), id);
    return element;
}

bool ReportDocument::appendPairs(DOMElement* parent, const QStringList& names,
                                 const QStringList& values) {
    for (qsizetype i = 0; i < names.size(); ++i)
        if (!append(parent, names.at(i), values.value(i)))
            return false;
    return true;
}

ReportDocument::DOMElement* ReportDocument::firstChild(const DOMElement* parent,
                                                       const QString& name) {
    for (DOMElement* child = parent->getFirstElementChild(); child;
         child = child->getNextElementSibling())
        if (QStringView(child->getTagName()) == name)
            return child;
    return nullptr;
}

QString ReportDocument::attribute(const DOMElement* element, const QString& name) {
    return fromXml(element->getAttribute(toXml(name)));
}

void ReportDocument::setAttribute(DOMElement* element, const QString& name, const QString& value) {
    element->setAttribute(toXml(name), toXml(xmlCharsOnly(value)));
}
