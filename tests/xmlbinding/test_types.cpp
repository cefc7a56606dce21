#include "test_types.h"

namespace testbind {

namespace {
constexpr xmlb::field entry_fields[] = {
    xmlb::attr<&Entry::id>("id", true),
    xmlb::attr<&Entry::label>("label"),
    xmlb::text<&Entry::value>(),
};
constexpr xmlb::field doc_fields[] = {
    xmlb::elem<&Doc::s>("s"),
    xmlb::elem<&Doc::n>("n", 0),
    xmlb::elem<&Doc::b>("b", 0),
    xmlb::elem<&Doc::f>("f", 0),
    xmlb::elem<&Doc::entry>("entry", 0, 3),
};
constexpr xmlb::field pick_fields[] = {
    xmlb::elem<&Pick::a>("a"),
    xmlb::elem<&Pick::b>("b"),
};
constexpr xmlb::field any_fields[] = {
    xmlb::elem<&Any::a>("a"),
    xmlb::elem<&Any::b>("b", 0),
};
constexpr const char* codes[] = {"red", "green", nullptr};
constexpr xmlb::facets code_facets{.max_length = 5, .enumeration = codes};
constexpr xmlb::field dates_fields[] = {
    xmlb::elem<&Dates::at>("at"),
    xmlb::elem<&Dates::span>("span"),
    xmlb::elem<&Dates::code>("code", 1, 1, &code_facets),
};
constexpr xmlb::field node_fields[] = {xmlb::elem<&Node::node>("node", 0, xmlb::unbounded)};
} // namespace

const xmlb::type_desc Node::xml_type = xmlb::make_type(node_fields);
const xmlb::type_desc Entry::xml_type = xmlb::make_type(entry_fields);
const xmlb::type_desc Doc::xml_type = xmlb::make_type(doc_fields);
const xmlb::type_desc Pick::xml_type = xmlb::make_type(pick_fields, xmlb::compositor::choice);
const xmlb::type_desc Any::xml_type = xmlb::make_type(any_fields, xmlb::compositor::all);
const xmlb::type_desc Dates::xml_type = xmlb::make_type(dates_fields);

} // namespace testbind
