#pragma once

#include "VXNServiceFramework/dom/DomTypes.h"

#include <functional>
#include <memory>
#include <span>
#include <xalanc/XalanTransformer/XalanParsedSource.hpp>

// Xalan's tree of an export document built straight from the report's nodes: no text is written
// and parsed again, so neither the text nor the parser's buffers are ever held beside the tree.
namespace domSourceTree {

// Whether whitespace-only text directly inside an element of this name is invisible to the
// stylesheet (stripped before it is read).
using StripsWhitespace = std::function<bool(const char16_t* elementName)>;

// The tree of the document whose root "VXNResponse" holds the non-null `parts` in order, the
// same tree the processor makes of the pretty-printed text except for the indentation, which
// is left out. That is only allowed where the stylesheet strips whitespace, so `strips` is asked
// for every element the indentation reaches (the root and every element holding elements).
// Answers null, and the caller takes the text, when leaving out the indentation would change
// what the stylesheet reads or when the nodes hold anything else the text might not give back
// as it is: node kinds other than elements, attributes and text, namespaces or names starting
// with "xml", text beside elements, characters XML cannot carry.
std::unique_ptr<xalanc::XalanParsedSource> build(std::span<const dom::Element* const> parts,
                                                 const StripsWhitespace& strips);

} // namespace domSourceTree
