#pragma once

#include "VXNServiceFramework/dom/DomTypes.h"

#include <QString>

// Internal to the DOM writer: the text of a plain tree written straight from the nodes.
//
// Xerces' writer passes every character through its formatter, which is most of the cost of
// answering a large report. Trees made of elements, attributes and text only (everything this
// system builds) are written here instead, character for character as Xerces writes them: in
// text '&', '<', '>' and CR become references; in attribute values '&', '<', '"', tab, LF and
// CR. Anything else (other node kinds, namespaces, characters XML cannot carry, a document
// other than a plain XML 1.0 one) answers false, and the caller leaves the whole tree to
// Xerces, so its output and its errors stay exactly the writer's.
namespace dom::plainxml {

// Appends the text of `node` (an element or text node, or a document holding only its root
// element, with the declaration) to `out`. False, with `out` as it was, when the tree is not
// plain.
bool append(QString& out, NodeRef node);

} // namespace dom::plainxml
