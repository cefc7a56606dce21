#pragma once

#include "VXNServiceFramework/dom/DomTypes.h"

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

} // namespace dom::fastappend
