#pragma once

#include "VXNServiceFramework/dom/DomTypes.h"

namespace dom {

// Builds a new subtree the way the parser builds a document: every element is made here and
// appended to a parent also made here, before the subtree joins the document. Such an append
// needs none of the checks of a general DOM append (owner document, a cycle through the
// ancestors, a previous parent), and those checks are most of the cost of building a tree of a
// million nodes. The finished root joins the document with appendChild (DomBuild.h).
// Names are checked and texts cleaned as DomBuild does (BuildError, xmlCharsOnly).
class TreeBuilder {
public:
    explicit TreeBuilder(RawDocument* document) : m_document(document) {}

    // A new element outside the tree.
    Element* element(const QString& name) const;
    // <name>text</name>, outside the tree; an empty text gives an element without children.
    Element* textElement(const QString& name, const QString& text) const;
    // <name>number</name> in decimal, outside the tree.
    Element* textElement(const QString& name, qint64 number) const;
    // Appends `child` as the last child of `parent`. Both come from this builder, and `child` has
    // not been appended anywhere yet.
    void append(Element* parent, Element* child) const;

private:
    RawDocument* m_document;
};

} // namespace dom
