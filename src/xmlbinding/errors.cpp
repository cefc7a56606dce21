#include "xmlbinding/errors.h"

namespace xmlb {

namespace {
constexpr const char* messages[error_code_count] = {
    "No Error",
    "Unable to open file",
    "Violation of xs:all cardinality constraints",
    "Attribute has already been read",
    "Attributes found in anonymous compositor",
    "XML badly formed",
    "XML character encoding not supported",
    "Inappropriate choice option selected",
    "Badly formed comment",
    "Badly formed DTD",
    "Bad end of element",
    "Bad start tag end",
    "Syntax error in end tag",
    "Bad XML Decl spec",
    "Unsupported XML version",
    "Mis-match between specified char encoding and read bytes",
    "Element not found",
    "Reference to external entity",
    "Fraction digits exceeded",
    "Length too long",
    "Length too short",
    "Mandatory element missing",
    "No pattern matched",
    "Not well formed",
    "Recursive entity definition",
    "Required attribute(s) missing",
    "Element instances exceeds maxOccurs",
    "Total digits exceeded",
    "Unable to read attribute value",
    "Unable to read element value",
    "Unknown element in xs:all",
    "Unknown element in complexContent",
    "Unexpected empty element",
    "Unexpected entity",
    "Unexpected end of message",
    "Invalid value format for this type",
    "Value greater than specified maximum",
    "Value less than specified minimum",
    "Value does not match enumerations",
    "Unexpected attribute",
    "Nilled element body not empty",
    "Entity not found",
};
} // namespace

const char* error_message(int code) {
    if (code < 0 || code >= error_code_count)
        return "Unknown error";
    return messages[code];
}

} // namespace xmlb
