#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <memory>
#include <xercesc/util/XercesDefs.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class DOMDocument;
class DOMElement;
XERCES_CPP_NAMESPACE_END

// The document a report builds: root "Root" with Info and Body. Element names come partly
// from database values, so every creation goes through the name check of the DOM: a name the
// DOM rejects is reported on standard error ("DOMException code is:  " + code) and the element
// is left out, while the report goes on.
class ReportDocument {
public:
    using DOMElement = XERCES_CPP_NAMESPACE::DOMElement;
    using DOMDocument = XERCES_CPP_NAMESPACE::DOMDocument;

    ReportDocument();
    ~ReportDocument();
    ReportDocument(const ReportDocument&) = delete;
    ReportDocument& operator=(const ReportDocument&) = delete;

    DOMDocument* document() const { return m_document.get(); }
    DOMElement* root() const { return m_root; }

    // Appends <name>text</name> (no text node when text is empty); null when the DOM rejects
    // the name.
    DOMElement* append(DOMElement* parent, const QString& name, const QString& text = {});
    // Appends <name ID="id"/>.
    DOMElement* appendWithId(DOMElement* parent, const QString& name, const QString& id);
    // Appends one <name>value</name> per pair, in order; at the first rejected name the
    // remaining pairs are left out. False when a name was rejected.
    bool appendPairs(DOMElement* parent, const QStringList& names, const QStringList& values);

    // The first child element of `parent` called `name`, or null.
    static DOMElement* firstChild(const DOMElement* parent, const QString& name);
    static QString attribute(const DOMElement* element, const QString& name);
    static void setAttribute(DOMElement* element, const QString& name, const QString& value);

private:
    struct Release {
        void operator()(DOMDocument* document) const;
    };

    std::unique_ptr<DOMDocument, Release> m_document;
    DOMElement* m_root = nullptr;
};
