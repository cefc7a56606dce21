#pragma once

// What generated message classes are made of: a class holds plain fields and one constexpr
// table naming them; reading and writing are done here, once, for every class.
//
//   struct c_VXNResponse {
//       static constexpr char xml_name[] = "VXNResponse";
//       static const xmlb::type_desc xml_type;
//       int Result = 0;
//       QString Details;
//   };
//   constexpr xmlb::field fields[] = {xmlb::elem<&c_VXNResponse::Result>("Result"),
//                                     xmlb::elem<&c_VXNResponse::Details>("Details")};
//   const xmlb::type_desc c_VXNResponse::xml_type = xmlb::make_type(fields);

#include "xmlbinding/convert.h"
#include "xmlbinding/datetime.h"
#include "xmlbinding/facets.h"
#include "xmlbinding/xml_reader.h"
#include "xmlbinding/xml_writer.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <concepts>
#include <optional>
#include <string>
#include <vector>

namespace xmlb {

struct field;
using field_read = int (*)(c_xml_reader&, void* object, const field&);
using field_write = int (*)(c_xml_writer&, const void* object, const field&);

enum class field_kind : unsigned char { element, attribute, text };
enum class compositor : unsigned char { sequence, all, choice };
inline constexpr int unbounded = -1;
// Generated types may nest themselves; reading stops at this element depth instead of
// exhausting the stack.
inline constexpr std::size_t max_element_depth = 256;

// One child element, attribute or the simple content of a class. For an element min/max are
// its occurrences; for an attribute min 1 means required.
struct field {
    field_kind kind;
    std::string_view name;
    int min_occurs;
    int max_occurs;
    field_read read;
    field_write write;
    const facets* restriction;
};

struct type_desc {
    const field* fields;
    std::size_t count;
    compositor content;
    const char* source;           // the generated source, passed to the error hooks
    const ns_binding* namespaces; // written on the document's first element
};

template <std::size_t N>
constexpr type_desc make_type(const field (&fields)[N], compositor content = compositor::sequence,
                              const ns_binding* namespaces = nullptr,
                              const char* source = __builtin_FILE()) {
    return {fields, N, content, source, namespaces};
}
// A class without children or attributes.
constexpr type_desc make_empty_type(const char* source = __builtin_FILE()) {
    return {nullptr, 0, compositor::sequence, source, nullptr};
}

template <class T>
concept complex_type = requires {
    T::xml_type;
};

int read_complex(c_xml_reader& r, const type_desc& type, void* object);
int write_complex(c_xml_writer& w, std::string_view name, const type_desc& type,
                  const void* object);
// The whole document: the root element must be `root`; nothing but comments may follow it.
int read_document(c_xml_reader& r, const char* root, const type_desc& type, void* object);

template <complex_type T> int read_document(c_xml_reader& r, T& object) {
    return read_document(r, T::xml_name, T::xml_type, &object);
}
template <complex_type T> int write_document(c_xml_writer& w, const T& object) {
    return write_complex(w, T::xml_name, T::xml_type, &object);
}

// ---- simple types ---------------------------------------------------------------------------

template <class V> struct simple;

template <> struct simple<QString> {
    static constexpr whitespace ws = whitespace::preserve;
    static int from(std::string_view text, QString& v) {
        v = QString::fromUtf8(text.data(), qsizetype(text.size()));
        return 0;
    }
    static void to(c_xml_writer& w, const QString& v) { w.value(v); }
};

template <> struct simple<std::string> {
    static constexpr whitespace ws = whitespace::preserve;
    static int from(std::string_view text, std::string& v) {
        v.assign(text);
        return 0;
    }
    static void to(c_xml_writer& w, const std::string& v) { w.value_utf8(v); }
};

template <> struct simple<bool> {
    static constexpr whitespace ws = whitespace::collapse;
    static int from(std::string_view text, bool& v) { return parse_bool(text, v); }
    static void to(c_xml_writer& w, bool v) { w.value(v); }
};

template <std::integral I>
requires(!std::same_as<I, bool> && !std::same_as<I, char>) struct simple<I> {
    static constexpr whitespace ws = whitespace::collapse;
    static int from(std::string_view text, I& v) { return parse_integer(text, v); }
    static void to(c_xml_writer& w, I v) {
        if constexpr (std::signed_integral<I>)
            w.value(static_cast<long long>(v));
        else
            w.value(static_cast<unsigned long long>(v));
    }
};

template <> struct simple<float> {
    static constexpr whitespace ws = whitespace::collapse;
    static int from(std::string_view text, float& v) { return parse_float(text, v); }
    static void to(c_xml_writer& w, float v) { w.value(v); }
};

template <> struct simple<double> {
    static constexpr whitespace ws = whitespace::collapse;
    static int from(std::string_view text, double& v) { return parse_double(text, v); }
    static void to(c_xml_writer& w, double v) { w.value(v); }
};

// xs:base64Binary
template <> struct simple<QByteArray> {
    static constexpr whitespace ws = whitespace::collapse;
    static int from(std::string_view text, QByteArray& v);
    static void to(c_xml_writer& w, const QByteArray& v);
};

template <dt_kind K> struct simple<date_time_of<K>> {
    static constexpr whitespace ws = whitespace::collapse;
    static int from(std::string_view text, date_time_of<K>& v) {
        return parse_date_time(text, K, v);
    }
    static void to(c_xml_writer& w, const date_time_of<K>& v) { w.raw(format_date_time(v, K)); }
};

template <> struct simple<duration> {
    static constexpr whitespace ws = whitespace::collapse;
    static int from(std::string_view text, duration& v) { return parse_duration(text, v); }
    static void to(c_xml_writer& w, const duration& v) { w.raw(format_duration(v)); }
};

// ---- generic field functions ----------------------------------------------------------------

namespace detail {

int check_simple_element_attributes(c_xml_reader& r, const type_desc* none, bool& nil);
int value_error(c_xml_reader& r, int code, const field& f);
int write_error(c_xml_writer& w, int code, const field& f);

template <class V> int convert(c_xml_reader& r, std::string& text, V& v, const field& f) {
    if (f.restriction)
        if (int rc = check_facets(text, *f.restriction))
            return value_error(r, rc, f);
    if (int rc = simple<V>::from(text, v))
        return value_error(r, rc, f);
    return 0;
}

// One occurrence of an element; the reader stands on its start tag.
template <class V> int read_element(c_xml_reader& r, V& v, const field& f) {
    if constexpr (complex_type<V>) {
        return read_complex(r, V::xml_type, &v);
    } else {
        bool nil = false;
        if (int rc = check_simple_element_attributes(r, nullptr, nil))
            return rc;
        std::string& text = r.value_buffer();
        bool empty = false;
        if (int rc = r.read_value(text, simple<V>::ws, empty))
            return rc;
        if (nil) {
            if (!empty && !text.empty())
                return r.error(err_nilled_not_empty, f.name, __FILE__, __LINE__);
            return 0;
        }
        return convert(r, text, v, f);
    }
}

template <class V> int write_element(c_xml_writer& w, const V& v, const field& f) {
    if constexpr (complex_type<V>) {
        return write_complex(w, f.name, V::xml_type, &v);
    } else {
        w.indent();
        w.start_tag(f.name);
        w.close_start(false);
        simple<V>::to(w, v);
        w.end_tag(f.name);
        return 0;
    }
}

template <class M> struct slot {
    using item = M;
    static item& add(M& m) { return m; }
    template <class F> static int each(const M& m, const field&, c_xml_writer&, F&& fn) {
        return fn(m);
    }
    static const item* present(const M& m) { return &m; }
};

template <class X> struct slot<std::optional<X>> {
    using item = X;
    static item& add(std::optional<X>& m) { return m.emplace(); }
    template <class F>
    static int each(const std::optional<X>& m, const field&, c_xml_writer&, F&& fn) {
        return m ? fn(*m) : 0;
    }
    static const item* present(const std::optional<X>& m) { return m ? &*m : nullptr; }
};

template <class L> struct list_slot {
    using item = typename L::value_type;
    static item& add(L& m) {
        // Messages mostly hold a handful of items: skip the first few growth steps.
        if (m.size() == m.capacity())
            m.reserve(m.size() < 4 ? 8 : m.size() * 2);
        return m.emplace_back();
    }
    template <class F> static int each(const L& m, const field& f, c_xml_writer& w, F&& fn) {
        if (std::size_t(m.size()) < std::size_t(f.min_occurs))
            return write_error(w, err_mandatory_missing, f);
        if (f.max_occurs != unbounded && std::size_t(m.size()) > std::size_t(f.max_occurs))
            return write_error(w, err_max_occurs, f);
        for (const item& x : m)
            if (int rc = fn(x))
                return rc;
        return 0;
    }
};
template <class X> struct slot<QList<X>> : list_slot<QList<X>> {};
template <class X> struct slot<std::vector<X>> : list_slot<std::vector<X>> {};

template <class P> struct member;
template <class C, class M> struct member<M C::*> {
    using owner = C;
    using type = M;
};

template <auto P> typename member<decltype(P)>::type& get(void* object) {
    return static_cast<typename member<decltype(P)>::owner*>(object)->*P;
}
template <auto P> const typename member<decltype(P)>::type& get(const void* object) {
    return static_cast<const typename member<decltype(P)>::owner*>(object)->*P;
}

template <auto P> int read_element_field(c_xml_reader& r, void* object, const field& f) {
    using S = slot<typename member<decltype(P)>::type>;
    return read_element(r, S::add(get<P>(object)), f);
}
template <auto P> int write_element_field(c_xml_writer& w, const void* object, const field& f) {
    using S = slot<typename member<decltype(P)>::type>;
    return S::each(get<P>(object), f, w, [&](const auto& x) { return write_element(w, x, f); });
}

template <auto P> int read_attribute_field(c_xml_reader& r, void* object, const field& f) {
    using S = slot<typename member<decltype(P)>::type>;
    std::string& text = r.value_buffer();
    text.assign(r.attr_value());
    apply_whitespace(text, simple<typename S::item>::ws);
    return convert(r, text, S::add(get<P>(object)), f);
}
template <auto P> int write_attribute_field(c_xml_writer& w, const void* object, const field& f) {
    using S = slot<typename member<decltype(P)>::type>;
    const auto* v = S::present(get<P>(object));
    if (!v)
        return f.min_occurs > 0 ? write_error(w, err_required_attribute, f) : 0;
    w.raw(" ");
    w.raw(f.name);
    w.raw("=\"");
    simple<typename S::item>::to(w, *v);
    w.raw("\"");
    return 0;
}

template <auto P> int read_text_field(c_xml_reader& r, void* object, const field& f) {
    using V = typename member<decltype(P)>::type;
    std::string& text = r.value_buffer();
    bool empty = false;
    if (int rc = r.read_value(text, simple<V>::ws, empty))
        return rc;
    return convert(r, text, get<P>(object), f);
}
template <auto P> int write_text_field(c_xml_writer& w, const void* object, const field&) {
    using V = typename member<decltype(P)>::type;
    simple<V>::to(w, get<P>(object));
    return 0;
}

} // namespace detail

// A child element; a QList or std::vector member holds repeated ones, std::optional an
// optional one.
template <auto P>
constexpr field elem(std::string_view name, int min_occurs = 1, int max_occurs = 1,
                     const facets* restriction = nullptr) {
    return {field_kind::element,
            name,
            min_occurs,
            max_occurs,
            &detail::read_element_field<P>,
            &detail::write_element_field<P>,
            restriction};
}

template <auto P>
constexpr field attr(std::string_view name, bool required = false,
                     const facets* restriction = nullptr) {
    return {field_kind::attribute,
            name,
            required ? 1 : 0,
            1,
            &detail::read_attribute_field<P>,
            &detail::write_attribute_field<P>,
            restriction};
}

// The simple content of a class that also carries attributes or wraps an anonymous type.
template <auto P> constexpr field text(const facets* restriction = nullptr) {
    return {field_kind::text, "", 1, 1, &detail::read_text_field<P>, &detail::write_text_field<P>,
            restriction};
}

} // namespace xmlb
