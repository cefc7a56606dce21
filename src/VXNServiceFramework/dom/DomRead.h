#pragma once

#include "VXNServiceFramework/dom/DomTypes.h"

#include <functional>

// Reading a DOM tree. Walks are iterative, so deep documents cannot exhaust the stack; a null
// scope reads as empty. Results are non-const so that a builder can extend what it found.
namespace dom {

using ElementVisit = std::function<void(Element*)>;

// Every element called `name` below `scope` (not `scope` itself), in document order.
void forEachDescendant(NodeRef scope, const QString& name, const ElementVisit& visit);
Element* firstDescendant(NodeRef scope, const QString& name);
// The only descendant called `name`, or null when there is none or more than one.
Element* onlyDescendant(NodeRef scope, const QString& name);
int countDescendants(NodeRef scope, const QString& name);

// Every child element of `scope`, or only those called `name` when it is given.
void forEachChild(NodeRef scope, const ElementVisit& visit, const QString& name = {});
Element* firstChild(NodeRef scope, const QString& name);

QString name(const Element* element);
// The attribute's value; `present` tells whether the element has it at all.
QString attribute(const Element* element, const QString& name, bool* present = nullptr);
void forEachAttribute(const Element* element,
                      const std::function<void(const QString&, const QString&)>& visit);
// The text of every text and CDATA node below `scope`, joined in document order.
QString textContent(NodeRef scope);

// (name, text content) of every child element of `scope`, appended in document order.
void childPairs(NodeRef scope, StringPairs& pairs);
// As above into a map; a later duplicate name overwrites an earlier one.
void childPairs(NodeRef scope, StringMap& map);

} // namespace dom
