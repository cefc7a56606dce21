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

// Appends a new element called `acceptedName`, a name the parent's document has accepted for
// an element before (the DOM checks a name by itself alone, so one accepted once is accepted
// again), made without the check.
Element* appendNewElement(Element* parent, const XMLCh* acceptedName);
// The same with one text child holding `text` (see newText).
Element* appendNewTextElement(Element* parent, const XMLCh* acceptedName, QStringView text);

// A new text node holding `text`, which holds only characters XML can carry (see xmlCharsOnly).
// Read by its length, so the text need not be NUL-terminated.
Node* newText(RawDocument* document, QStringView text);

// Gives `element`, which has no attribute called `acceptedName` yet, that attribute with
// `value`, which holds only characters XML can carry. The name is one the document has accepted
// for an attribute before.
void addNewAttribute(Element* element, const XMLCh* acceptedName, QStringView value);

} // namespace dom::fastappend
