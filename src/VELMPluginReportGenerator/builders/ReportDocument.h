#pragma once

#include "VXNServiceFramework/dom/DomDocument.h"
#include "VXNServiceFramework/dom/DomTypes.h"

#include <QString>
#include <QStringList>

// The document a report builds: root "Root" with Info and Body. Element names come partly
// from database values, so every creation goes through the name check of the DOM: a name the
// DOM rejects is reported on standard error ("DOMException code is:  " + code) and the element
// is left out, while the report goes on.
class ReportDocument {
public:
    using DOMElement = dom::Element;

    ReportDocument();

    DOMElement* root() const { return m_document.root(); }

    // Appends <name>text</name>; null when the DOM rejects the name.
    DOMElement* append(DOMElement* parent, const QString& name, const QString& text = {});
    // Appends <name ID="id"/>.
    DOMElement* appendWithId(DOMElement* parent, const QString& name, const QString& id);
    // Appends one <name>value</name> per pair, in order, but the pair at `skip`; at the first
    // rejected name the remaining pairs are left out. False when a name was rejected.
    bool appendPairs(DOMElement* parent, const QStringList& names, const QStringList& values,
                     qsizetype skip = -1);

private:
    dom::Document m_document;
};
