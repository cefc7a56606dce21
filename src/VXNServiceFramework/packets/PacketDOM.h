#pragma once

#include "VXNServiceFramework/dom/DomDocument.h"
#include "VXNServiceFramework/packets/Packet.h"

#include <QString>
#include <cstddef>

class SharedMemoryBudget;

// A packet whose body is a DOM document, written as UTF-16LE without a byte-order mark.
//
// Command classes derive from RequestPacket or ResponsePacket and
//  - parse:     call the base parse(), then read their fields with elementText(), elementId(),
//               childElementMap() or childPairs(), or the dom:: readers (missing elements read
//               as empty);
//  - serialize: call buildDocument() (the envelope, with Result and Details for responses),
//               append their fields with addElement(), addElementMap(), addChildPairs() or the
//               dom:: builders, then call PacketDOM::serialize().
//
// parse() never throws for a body it cannot read: the packet is then empty and parseError()
// tells why. A body it has no parsing memory left for is the exception: WrongPacketFormat, so
// the peer hears it was not read. Reading never changes the document, but a packet is not meant to
// be shared between threads while it is being written. A name the DOM rejects while building throws
// WrongPacketFormat.
class PacketDOM : public Packet {
public:
    using DOMDocument = dom::RawDocument;
    using DOMElement = dom::Element;
    using DOMNode = dom::Node;
    using StringPairs = dom::StringPairs;
    using StringMap = dom::StringMap;

    // Bodies above this size are not parsed (the packet stays empty).
    static constexpr qsizetype maxBodySize = 64 * 1024 * 1024;
    // Entity references one body may expand; beyond it the body is refused.
    static constexpr unsigned entityExpansionLimit = 10000;
    // Memory one parse and its document may take, and what all parses of the process may take
    // together (adjustable through sharedParseMemory()).
    static constexpr std::size_t maxParseMemory = std::size_t{256} * 1024 * 1024;
    static constexpr std::size_t defaultSharedParseMemory = std::size_t{1024} * 1024 * 1024;
    static SharedMemoryBudget& sharedParseMemory();

    ~PacketDOM() override;
    PacketDOM(const PacketDOM&) = delete;
    PacketDOM& operator=(const PacketDOM&) = delete;

    void parse(const QByteArray& body) override;
    void serialize(QByteArray& body) override;

    // Replaces the document with a fresh one that holds the empty envelope of this packet kind.
    virtual void buildDocument() = 0;

    // Appends <name ID="id">text</name> to the root (no ID attribute when id is empty).
    DOMElement* addElement(const QString& name, const QString& text, const QString& id = {});
    // Text content of the only element called `name` anywhere in the document; empty when there
    // is none or more than one.
    QString elementText(const QString& name) const;
    // The ID attribute of the only element called `name`; empty as for elementText().
    QString elementId(const QString& name) const;
    // Appends <name> to the root with one child per map entry, in key order.
    DOMElement* addElementMap(const QString& name, const StringMap& map);
    // Appends one <name>text</name> child to `element` per pair, in list order.
    void addChildPairs(DOMElement* element, const StringPairs& pairs);
    // Child element name -> text content of the first element called `name` (empty map: none).
    StringMap childElementMap(const QString& name) const;
    // (name, text content) of every child element of `node`, in document order; the map form
    // lets a later duplicate name overwrite an earlier one.
    static void childPairs(dom::NodeRef node, StringPairs& pairs);
    static void childPairs(dom::NodeRef node, StringMap& map);

    // First element called `name` in document order, or null.
    DOMElement* firstElement(const QString& name) const;
    // The concatenated text of all text and CDATA descendants of `node`.
    static QString textContent(dom::NodeRef node);

    // The document (null until parsed or built) and its root element (null when absent).
    DOMDocument* document() const { return m_document.get(); }
    DOMElement* rootElement() const { return m_document.root(); }
    // Why the last parse() left the packet empty; empty after a successful parse.
    const QString& parseError() const { return m_parseError; }

protected:
    PacketDOM();
    // Replaces the document with a new one whose root element is `rootName`; returns the root.
    DOMElement* createDocument(const QString& rootName);
    // A new element `name` holding `text`; the caller appends it.
    DOMElement* createTextElement(const QString& name, const QString& text);

private:
    void clear();

    dom::Document m_document;
    QString m_parseError;
};
