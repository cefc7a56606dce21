#pragma once

#include "VXNServiceFramework/packets/PacketDOM.h"

#include <QString>
#include <functional>

// Small read helpers over the DOM of the peer packets (Xerces stays out of the headers).
namespace peers::dom {
using Element = PacketDOM::DOMElement;

// Every descendant element of `node` called `name`, in document order.
void forEachDescendant(const Element* node, const QString& name,
                       const std::function<void(const Element*)>& visit);
// Every child element of `node`, optionally only those called `name`.
void forEachChild(const Element* node, const std::function<void(const Element*)>& visit,
                  const QString& name = {});
int countDescendants(const Element* node, const QString& name);
// The only descendant called `name`, or null when there is none or more than one.
const Element* onlyDescendant(const Element* node, const QString& name);
QString name(const Element* element);
// The attribute's value; `present` tells whether the element has it at all.
QString attribute(const Element* element, const QString& name, bool* present = nullptr);
// Every attribute as (name, value).
void forEachAttribute(const Element* element,
                      const std::function<void(const QString&, const QString&)>& visit);

// Writing: a new child element of `parent` (optionally holding text), answered for chaining.
Element* appendElement(Element* parent, const QString& name, const QString* text = nullptr);
void setAttribute(Element* element, const QString& name, const QString& value);
} // namespace peers::dom
