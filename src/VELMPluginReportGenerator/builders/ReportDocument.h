#pragma once

#include "VXNServiceFramework/dom/DomDocument.h"
#include "VXNServiceFramework/dom/DomTypes.h"
#include "VXNServiceFramework/dom/ElementFactory.h"
#include "VXNServiceFramework/packets/BoundedMemoryManager.h"

#include <QList>
#include <QString>
#include <QStringList>

// The document a report builds: root "Root" with Info and Body. Element names come partly
// from database values, so every creation goes through the name check of the DOM: a name the
// DOM rejects is reported on standard error ("DOMException code is:  " + code) and the element
// is left out, while the report goes on. Names repeat for every row, so each is checked once
// per document and looked up by a Name after that.
class ReportDocument {
public:
    using DOMElement = dom::Element;
    using Name = dom::ElementFactory::Name;

    ReportDocument();

    DOMElement* root() const { return m_document.root(); }
    // The memory the document holds: a finished report keeps it for hours.
    std::size_t bytes() const { return m_memory->used(); }

    // The name for the calls below; cheaper than the text where one name makes many elements.
    Name name(const QString& name) { return m_elements.name(name); }
    // Names are numbered from 0 up to this.
    qsizetype nameCount() const { return m_elements.nameCount(); }

    // Appends <name>text</name> (<name/> for an empty text); null when the DOM rejects the name.
    DOMElement* append(DOMElement* parent, Name name, const QString& text = {});
    DOMElement* append(DOMElement* parent, const QString& name, const QString& text = {}) {
        return append(parent, this->name(name), text);
    }
    // Appends <name ID="id"/>.
    DOMElement* appendWithId(DOMElement* parent, Name name, const QString& id);
    DOMElement* appendWithId(DOMElement* parent, const QString& name, const QString& id) {
        return appendWithId(parent, this->name(name), id);
    }
    // Appends one <name>value</name> per pair, in order, but the pair at `skip`; at the first
    // rejected name the remaining pairs are left out. False when a name was rejected.
    bool appendPairs(DOMElement* parent, const QStringList& names, const QStringList& values,
                     qsizetype skip = -1);

private:
    const QList<Name>& namesOf(const QStringList& names);

    // Unbounded: it only counts. One thread at a time uses the document, as it uses the memory.
    std::shared_ptr<BoundedMemoryManager> m_memory;
    dom::Document m_document;
    dom::ElementFactory m_elements;
    Name m_id;
    // The names of the last list appendPairs was given: the rows of one result set share theirs.
    // The copy keeps the list alive, so an equal data pointer means the same list.
    QStringList m_pairNamesOf;
    QList<Name> m_pairNames;
};
