#pragma once

#include "VXNServiceFramework/dom/DomTypes.h"

#include <QByteArray>
#include <QStringView>
#include <initializer_list>
#include <stdexcept>

namespace dom {

// The DOM writer could not write a node (for example one holding a character that no XML can
// carry); what() names the writer's reason.
class WriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class Layout { Compact, Pretty };

// The writer's text of `node` with its default settings: a document starts with a declaration
// naming UTF-16, no line breaks between elements.
QString toXmlString(NodeRef node);
// The same as UTF-16 little-endian code units without byte-order mark (the DOM packet body).
QByteArray toUtf16(NodeRef node);
// The pieces one after the other as UTF-16 little-endian code units without byte-order mark.
QByteArray utf16Bytes(std::initializer_list<QStringView> pieces);
// UTF-8 with a declaration naming it; Pretty indents nested elements on their own lines.
QByteArray toUtf8(NodeRef node, Layout layout = Layout::Compact);
// Writes toUtf8() to `path` atomically; answers the reason on failure, empty on success.
QString writeFile(NodeRef node, const QString& path, Layout layout = Layout::Compact);

} // namespace dom
