#include "xmlbinding/binding.h"

#include <cstdint>

namespace xmlb {

namespace detail {

int value_error(c_xml_reader& r, int code, const field& f) {
    return r.error(code, f.kind == field_kind::text ? r.name() : std::string_view(f.name), __FILE__,
                   __LINE__);
}

int write_error(c_xml_writer& w, int code, const field& f) {
    return w.error(code, f.name, __FILE__, __LINE__);
}

int check_simple_element_attributes(c_xml_reader& r, const type_desc*, bool& nil) {
    for (int t; (t = r.next_attribute()) != tok_end;) {
        if (t == tok_xsi_nil) {
            if (parse_bool(r.attr_value(), nil))
                return r.error(err_invalid_value, r.attr_name(), __FILE__, __LINE__);
        } else if (t < tok_xsi_type || t > tok_xsi_no_namespace_schema_location) {
            return r.error(err_unexpected_attribute, r.attr_name(), __FILE__, __LINE__);
        }
    }
    return 0;
}

} // namespace detail

namespace {

std::uint64_t bit(std::size_t i) {
    return i < 64 ? std::uint64_t(1) << i : 0;
}

std::size_t find_field(const type_desc& type, field_kind kind, std::string_view name) {
    for (std::size_t i = 0; i < type.count; ++i)
        if (type.fields[i].kind == kind && name == type.fields[i].name)
            return i;
    return type.count;
}

int read_attributes(c_xml_reader& r, const type_desc& type, void* object, bool& nil) {
    std::uint64_t seen = 0;
    for (int t; (t = r.next_attribute()) != tok_end;) {
        const std::size_t i = find_field(type, field_kind::attribute, r.attr_local_name());
        if (i < type.count) {
            seen |= bit(i);
            const field& f = type.fields[i];
            if (int rc = f.read(r, object, f))
                return rc;
        } else if (t == tok_xsi_nil) {
            if (parse_bool(r.attr_value(), nil))
                return r.error(err_invalid_value, r.attr_name(), type.source, __LINE__);
        } else if (t < tok_xsi_type || t > tok_xsi_no_namespace_schema_location) {
            return r.error(err_unexpected_attribute, r.attr_name(), type.source, __LINE__);
        }
    }
    for (std::size_t i = 0; i < type.count && i < 64; ++i) {
        const field& f = type.fields[i];
        if (f.kind == field_kind::attribute && f.min_occurs > 0 && !(seen & bit(i)))
            return r.error(err_required_attribute, f.name, type.source, __LINE__);
    }
    return 0;
}

// Reads the occurrences of one element field that follow, and checks that enough of them came;
// t is the current token.
int read_occurrences(c_xml_reader& r, const type_desc& type, void* object, const field& f, int& t) {
    int count = 0;
    while (t != tok_none && t != tok_end && r.local_name() == f.name) {
        if (f.max_occurs != unbounded && count >= f.max_occurs)
            return r.error(err_max_occurs, f.name, type.source, __LINE__);
        if (int rc = f.read(r, object, f))
            return rc;
        ++count;
        t = r.next_item();
    }
    if (t == tok_none)
        return r.last_error();
    if (count < f.min_occurs)
        return r.error(err_mandatory_missing, f.name, type.source, __LINE__);
    return 0;
}

int read_sequence(c_xml_reader& r, const type_desc& type, void* object, int& t) {
    for (std::size_t i = 0; i < type.count; ++i) {
        const field& f = type.fields[i];
        if (f.kind != field_kind::element)
            continue;
        if (int rc = read_occurrences(r, type, object, f, t))
            return rc;
    }
    return 0;
}

int read_all(c_xml_reader& r, const type_desc& type, void* object, int& t) {
    std::uint64_t seen = 0;
    while (t != tok_none && t != tok_end) {
        const std::size_t i = find_field(type, field_kind::element, r.local_name());
        if (i == type.count)
            return r.error(err_unknown_in_all, r.name(), type.source, __LINE__);
        if (seen & bit(i))
            return r.error(err_all_cardinality, r.name(), type.source, __LINE__);
        seen |= bit(i);
        const field& f = type.fields[i];
        if (int rc = f.read(r, object, f))
            return rc;
        t = r.next_item();
    }
    if (t == tok_none)
        return r.last_error();
    for (std::size_t i = 0; i < type.count && i < 64; ++i) {
        const field& f = type.fields[i];
        if (f.kind == field_kind::element && f.min_occurs > 0 && !(seen & bit(i)))
            if (int rc = r.error(err_mandatory_missing, f.name, type.source, __LINE__))
                return rc;
    }
    return 0;
}

int read_choice(c_xml_reader& r, const type_desc& type, void* object, int& t,
                std::string_view element) {
    bool optional = false;
    for (std::size_t i = 0; i < type.count; ++i)
        optional = optional ||
                   (type.fields[i].kind == field_kind::element && type.fields[i].min_occurs == 0);
    if (t == tok_end)
        return optional ? 0 : r.error(err_choice_option, element, type.source, __LINE__);
    const std::size_t i = find_field(type, field_kind::element, r.local_name());
    if (i == type.count)
        return r.error(err_choice_option, r.name(), type.source, __LINE__);
    const field& f = type.fields[i];
    return read_occurrences(r, type, object, f, t);
}

} // namespace

int read_complex(c_xml_reader& r, const type_desc& type, void* object) {
    if (r.depth() > max_element_depth)
        return r.error(err_not_well_formed, "Elements nested too deeply", type.source, __LINE__);
    const std::string element(r.name());
    bool nil = false;
    if (int rc = read_attributes(r, type, object, nil))
        return rc;
    const field* text_field = nullptr;
    bool mandatory_children = false;
    for (std::size_t i = 0; i < type.count; ++i) {
        const field& f = type.fields[i];
        if (f.kind == field_kind::text)
            text_field = &f;
        mandatory_children =
            mandatory_children || (f.kind == field_kind::element && f.min_occurs > 0);
    }
    if (nil) {
        std::string& text = r.value_buffer();
        bool empty = false;
        if (int rc = r.read_value(text, whitespace::collapse, empty))
            return rc;
        return text.empty() ? 0 : r.error(err_nilled_not_empty, element, type.source, __LINE__);
    }
    if (text_field)
        return text_field->read(r, object, *text_field);
    if (r.is_empty())
        return mandatory_children ? r.error(err_unexpected_empty, element, type.source, __LINE__)
                                  : 0;

    int t = r.next_item();
    int rc = 0;
    switch (type.content) {
    case compositor::sequence:
        rc = read_sequence(r, type, object, t);
        break;
    case compositor::all:
        rc = read_all(r, type, object, t);
        break;
    case compositor::choice:
        rc = read_choice(r, type, object, t, element);
        break;
    }
    if (rc || t == tok_none)
        return rc ? rc : r.last_error();
    if (t != tok_end) {
        const bool known = find_field(type, field_kind::element, r.local_name()) != type.count;
        return r.error(known ? err_bad_element_end : err_unknown_in_complex_content, r.name(),
                       type.source, __LINE__);
    }
    return 0;
}

int read_document(c_xml_reader& r, const char* root, const type_desc& type, void* object) {
    const int t = r.next_item(nullptr, true);
    if (t == tok_none)
        return r.last_error();
    if (r.local_name() != root)
        return r.error(err_element_not_found, root, type.source, __LINE__);
    if (int rc = read_complex(r, type, object))
        return rc;
    return r.finish();
}

int write_complex(c_xml_writer& w, std::string_view name, const type_desc& type,
                  const void* object) {
    w.indent();
    w.start_tag(name);
    w.namespaces(type.namespaces);
    const field* text_field = nullptr;
    for (std::size_t i = 0; i < type.count; ++i) {
        const field& f = type.fields[i];
        if (f.kind == field_kind::text)
            text_field = &f;
        if (f.kind == field_kind::attribute)
            if (int rc = f.write(w, object, f))
                return rc;
    }
    if (text_field) {
        w.close_start(false);
        if (int rc = text_field->write(w, object, *text_field))
            return rc;
        w.end_tag(name);
        return 0;
    }
    w.close_start(true);
    w.raise();
    for (std::size_t i = 0; i < type.count; ++i) {
        const field& f = type.fields[i];
        if (f.kind == field_kind::element)
            if (int rc = f.write(w, object, f))
                return rc;
    }
    w.lower();
    w.indent();
    w.end_tag(name);
    return 0;
}

int simple<QByteArray>::from(std::string_view text, QByteArray& v) {
    QByteArray compact;
    compact.reserve(qsizetype(text.size()));
    for (const char c : text)
        if (c != ' ')
            compact.push_back(c);
    auto result = QByteArray::fromBase64Encoding(compact, QByteArray::AbortOnBase64DecodingErrors);
    if (!result)
        return err_invalid_value;
    v = std::move(*result);
    return 0;
}

void simple<QByteArray>::to(c_xml_writer& w, const QByteArray& v) {
    const QByteArray encoded = v.toBase64();
    w.raw(std::string_view(encoded.constData(), std::size_t(encoded.size())));
}

} // namespace xmlb
