#pragma once

#include "VXNServiceFramework/dom/DomTypes.h"

#include <QStringView>

// Internal to the DOM builders: appending a node that was just made.
//
// Xerces 3.2.4 reaches the parts of a node through dynamic_cast, several times for every
// appendChild and once more for every ancestor it checks; building a report of a million nodes
// spent most of its time there. A node that has just been created by the parent's document
// cannot be an ancestor of the parent, is in no tree and is of a kind an element may hold, so
// none of those checks can fail: this links it in as Xerces' own parser does, without them.
namespace dom::fastappend {

// Appends `child`, an element or text node just made by `parent`'s document and not yet in any
// tree, as the last child of `parent`. Other node kinds go through appendChild.
void appendNew(Element* parent, Node* child);

// A new element called `name`, a name `document` has accepted for an element before (names are
// checked by the DOM alone, so one accepted once is accepted again): made without the check.
Element* newElement(RawDocument* document, const XMLCh* acceptedName);

// A new text node holding `text`, which holds only characters XML can carry (see xmlCharsOnly).
// Read by its length, so the text need not be NUL-terminated.
Node* newText(RawDocument* document, QStringView text);

// Gives `element`, which has no attribute called `acceptedName` yet, that attribute with
// `value`, which holds only characters XML can carry. The name is one the document has accepted
// for an attribute before.
void addNewAttribute(Element* element, const XMLCh* acceptedName, QStringView value);

} // namespace dom::fastappend
