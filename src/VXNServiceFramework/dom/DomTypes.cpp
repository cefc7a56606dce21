#include "VXNServiceFramework/dom/DomTypes.h"

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>

namespace dom {

NodeRef::NodeRef(const Element* element) : m_node(element) {}

NodeRef::NodeRef(const RawDocument* document) : m_node(document) {}

} // namespace dom
