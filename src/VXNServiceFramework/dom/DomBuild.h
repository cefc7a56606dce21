#pragma once

#include "VXNServiceFramework/dom/DomTypes.h"
#include "VXNServiceFramework/packets/WrongPacketFormat.h"

// Building a DOM tree. Every builder throws BuildError when the DOM refuses a step (a name that
// is not a valid XML name, say). Texts have the characters XML cannot carry replaced by U+FFFD (see
// xmlCharsOnly), so a stray control character never makes the whole document unwritable.
namespace dom {

// The DOM refused to build something. code() is Xerces' DOMException code (5,
// INVALID_CHARACTER_ERR, for a bad name); message() is the DOM's text. It is a
// WrongPacketFormat so that a packet that cannot be written fails like any malformed packet.
class BuildError : public WrongPacketFormat {
public:
    BuildError(int code, QString message) : WrongPacketFormat(std::move(message)), m_code(code) {}

    int code() const { return m_code; }
    const char* what() const noexcept override { return "DOMException"; }

private:
    int m_code;
};

bool isValidName(const QString& name);

// A new element not yet in the tree, for callers that place it themselves.
Element* createElement(RawDocument* document, const QString& name);
Element* createTextElement(RawDocument* document, const QString& name, const QString& text);

Element* appendElement(Element* parent, const QString& name);
// <name>text</name> appended to `parent`.
Element* appendTextElement(Element* parent, const QString& name, const QString& text);
// <name><![CDATA[text]]></name> appended to `parent`. A section cannot hold "]]>", so such a
// text is split over consecutive sections, which readers join.
Element* appendCDataElement(Element* parent, const QString& name, const QString& text);
// One <name>text</name> child of `parent` per pair, in list order.
void appendTextElements(Element* parent, const StringPairs& pairs);
void setAttribute(Element* element, const QString& name, const QString& value);
// Replaces every child of `element` with one text node.
void setText(Element* element, const QString& text);
// Appends a deep copy of `source` (from any document) to `parent`.
Element* appendCopy(Element* parent, const Element* source);
// Appends `child`, an element of the parent's document that is not in the tree yet (made by
// createElement or createTextElement). Appending walks up the parent's ancestors, so a large
// subtree is built fastest with its root still outside the tree, and attached when complete.
Element* appendChild(Element* parent, Element* child);
// The document `element` belongs to.
RawDocument* ownerDocument(const Element* element);

} // namespace dom
