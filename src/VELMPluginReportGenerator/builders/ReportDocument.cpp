#include "VELMPluginReportGenerator/builders/ReportDocument.h"

#include "VXNServiceFramework/dom/DomBuild.h"

#include <iostream>

namespace {

// Written as it is: whoever watches the service's error stream looks for it.
constexpr char domExceptionText[] = "DOMException code is:  ";

} // namespace

ReportDocument::ReportDocument() : m_document(dom::Document::create(QStringLiteral("Root"))) {}

ReportDocument::DOMElement* ReportDocument::append(DOMElement* parent, const QString& name,
                                                   const QString& text) {
    try {
        return text.isEmpty() ? dom::appendElement(parent, name)
                              : dom::appendTextElement(parent, name, text);
    } catch (const dom::BuildError& e) {
        std::cerr << domExceptionText << e.code() << std::endl;
        return nullptr;
    }
}

ReportDocument::DOMElement* ReportDocument::appendWithId(DOMElement* parent, const QString& name,
                                                         const QString& id) {
    DOMElement* element = append(parent, name);
    if (element)
        dom::setAttribute(element, QStringLiteral("ID"), id);
    return element;
}

bool ReportDocument::appendPairs(DOMElement* parent, const QStringList& names,
                                 const QStringList& values, qsizetype skip) {
    for (qsizetype i = 0; i < names.size(); ++i)
        if (i != skip && !append(parent, names.at(i), values.value(i)))
            return false;
    return true;
}
