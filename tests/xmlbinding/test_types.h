#pragma once

// Bindings as a generator would write them, covering the runtime's field kinds, for the tests.

#include "xmlbinding/binding.h"

#include <optional>
#include <string>

namespace testbind {

struct Entry {
    static const xmlb::type_desc xml_type;
    int id = 0;
    std::optional<QString> label;
    QString value; // simple content
};

struct Doc {
    static constexpr char xml_name[] = "doc";
    static const xmlb::type_desc xml_type;
    QString s;
    std::optional<int> n;
    std::optional<bool> b;
    std::optional<float> f;
    QList<Entry> entry;
};

struct Pick {
    static constexpr char xml_name[] = "pick";
    static const xmlb::type_desc xml_type;
    std::optional<QString> a;
    std::optional<int> b;
};

struct Any {
    static constexpr char xml_name[] = "any";
    static const xmlb::type_desc xml_type;
    QString a;
    std::optional<QString> b;
};

struct Dates {
    static constexpr char xml_name[] = "dates";
    static const xmlb::type_desc xml_type;
    xmlb::xs_dateTime at;
    xmlb::duration span;
    QString code;
};

// A type that nests itself.
struct Node {
    static constexpr char xml_name[] = "node";
    static const xmlb::type_desc xml_type;
    std::vector<Node> node;
};

// Reads bytes into T; err receives the reader's error text.
template <class T> int read(std::string_view bytes, T& out, std::string* err = nullptr) {
    xmlb::c_read_memory source(bytes.data(), bytes.data() + bytes.size());
    xmlb::c_xml_reader reader(source);
    const int rc = xmlb::read_document(reader, out);
    if (err)
        *err = reader.error_text();
    return rc;
}

} // namespace testbind
