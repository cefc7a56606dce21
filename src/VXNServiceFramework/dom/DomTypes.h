#pragma once

#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <xercesc/util/XercesDefs.hpp>

// Forward declarations keep Xerces' headers out of every user of the DOM helpers; only the
// helpers themselves (and code that catches DOMException) include them.
XERCES_CPP_NAMESPACE_BEGIN
class DOMDocument;
class DOMElement;
class DOMNode;
class MemoryManager;
XERCES_CPP_NAMESPACE_END

namespace dom {

using RawDocument = XERCES_CPP_NAMESPACE::DOMDocument;
using Element = XERCES_CPP_NAMESPACE::DOMElement;
using Node = XERCES_CPP_NAMESPACE::DOMNode;
using StringPairs = QList<QPair<QString, QString>>;
using StringMap = QMap<QString, QString>;

// Any node to start a walk from: a document, an element or a plain node. Without Xerces'
// headers the compiler cannot see that the three are related, so the conversion lives here.
class NodeRef {
public:
    NodeRef(std::nullptr_t) {}
    NodeRef(const Node* node) : m_node(node) {}
    NodeRef(const Element* element);
    NodeRef(const RawDocument* document);

    const Node* node() const { return m_node; }
    explicit operator bool() const { return m_node != nullptr; }

private:
    const Node* m_node = nullptr;
};

} // namespace dom
