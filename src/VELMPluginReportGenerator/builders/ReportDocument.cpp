#include "VELMPluginReportGenerator/builders/ReportDocument.h"

#include "VXNServiceFramework/dom/DomBuild.h"

#include <iostream>
#include <limits>

namespace {

// Written as it is: whoever watches the service's error stream looks for it.
constexpr char domExceptionText[] = "DOMException code is:  ";

} // namespace

ReportDocument::ReportDocument()
    : m_memory(std::make_shared<BoundedMemoryManager>(std::numeric_limits<std::size_t>::max())),
      m_document(dom::Document::create(QStringLiteral("Root"), m_memory)),
      m_elements(m_document.get()), m_id(m_elements.name(QStringLiteral("ID"))) {}

ReportDocument::DOMElement* ReportDocument::append(DOMElement* parent, Name name,
                                                   const QString& text) {
    try {
        return text.isEmpty() ? m_elements.append(parent, name)
                              : m_elements.appendText(parent, name, text);
    } catch (const dom::BuildError& e) {
        std::cerr << domExceptionText << e.code() << std::endl;
        return nullptr;
    }
}

ReportDocument::DOMElement* ReportDocument::appendWithId(DOMElement* parent, Name name,
                                                         const QString& id) {
    DOMElement* element = append(parent, name);
    if (element)
        m_elements.addAttribute(element, m_id, id);
    return element;
}

const QList<ReportDocument::Name>& ReportDocument::namesOf(const QStringList& names) {
    if (names.constData() != m_pairNamesOf.constData() || names.size() != m_pairNamesOf.size()) {
        m_pairNamesOf = names;
        m_pairNames.clear();
        for (const QString& name : names)
            m_pairNames.append(this->name(name));
    }
    return m_pairNames;
}

bool ReportDocument::appendPairs(DOMElement* parent, const QStringList& names,
                                 const QStringList& values, qsizetype skip) {
    static const QString none;
    const QList<Name>& elementNames = namesOf(names);
    for (qsizetype i = 0; i < elementNames.size(); ++i)
        if (i != skip &&
            !append(parent, elementNames.at(i), i < values.size() ? values.at(i) : none))
            return false;
    return true;
}
