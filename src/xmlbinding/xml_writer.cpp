#include "xmlbinding/xml_writer.h"

#include "xmlbinding/convert.h"

#include <charconv>

namespace xmlb {

c_xml_writer::c_xml_writer(std::string& out, std::string indent, std::string line_end)
    : m_out(out), m_indent(std::move(indent)), m_line_end(std::move(line_end)) {}

c_xml_writer::~c_xml_writer() = default;

int c_xml_writer::error_hook(int code, const char* item, const char* file, int line) {
    return default_error_hook(code, item, file, line);
}

int c_xml_writer::default_error_hook(int code, const char*, const char*, int) {
    return code;
}

std::string c_xml_writer::error_text() const {
    if (m_error == err_none)
        return error_message(err_none);
    return "'" + m_error_item + "'-" + error_message(m_error);
}

const std::string& c_xml_writer::line_end() const {
    return m_line_end;
}

void c_xml_writer::write_indent() {
    m_out += m_indent;
}

void c_xml_writer::indent() {
    for (int i = 0; i < m_level; ++i)
        write_indent();
}

void c_xml_writer::start_tag(std::string_view name) {
    m_out += '<';
    m_out += name;
}

void c_xml_writer::namespaces(const ns_binding* bindings) {
    if (m_namespaces_written)
        return;
    m_namespaces_written = true;
    for (const ns_binding* b = bindings; b && b->prefix; ++b) {
        m_out += *b->prefix ? " xmlns:" : " xmlns";
        m_out += b->prefix;
        m_out += "=\"";
        append_escaped(m_out, std::string_view(b->uri));
        m_out += '"';
    }
}

void c_xml_writer::attribute(std::string_view name, const QString& value) {
    m_out += ' ';
    m_out += name;
    m_out += "=\"";
    append_escaped(m_out, value);
    m_out += '"';
}

void c_xml_writer::attribute_raw(std::string_view name, std::string_view utf8_value) {
    m_out += ' ';
    m_out += name;
    m_out += "=\"";
    append_escaped(m_out, utf8_value);
    m_out += '"';
}

void c_xml_writer::close_start(bool end_line) {
    m_out += '>';
    if (end_line)
        m_out += line_end();
}

void c_xml_writer::end_tag(std::string_view name, bool end_line) {
    m_out += "</";
    m_out += name;
    m_out += '>';
    if (end_line)
        m_out += line_end();
}

void c_xml_writer::value(const QString& text) {
    append_escaped(m_out, text);
}

void c_xml_writer::value_utf8(std::string_view text) {
    append_escaped(m_out, text);
}

namespace {
template <class I> void append_integer(std::string& out, I v) {
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, res.ptr);
}
} // namespace

void c_xml_writer::value(int v) {
    append_integer(m_out, v);
}
void c_xml_writer::value(long long v) {
    append_integer(m_out, v);
}
void c_xml_writer::value(unsigned long long v) {
    append_integer(m_out, v);
}
void c_xml_writer::value(float v) {
    m_out += format_float(v);
}
void c_xml_writer::value(double v) {
    m_out += format_double(v);
}

int c_xml_writer::error(int code, std::string_view item, const char* file, int line) {
    m_error = code;
    m_error_item.assign(item);
    m_error = error_hook(code, m_error_item.c_str(), file, line);
    return m_error;
}

namespace {
const char* entity_for(char32_t c) {
    switch (c) {
    case '"':
        return "&quot;";
    case '\'':
        return "&apos;";
    case '&':
        return "&amp;";
    case '<':
        return "&lt;";
    default:
        return nullptr;
    }
}
} // namespace

void append_escaped(std::string& out, const QString& text) {
    const char16_t* p = reinterpret_cast<const char16_t*>(text.constData());
    const char16_t* const e = p + text.size();
    out.reserve(out.size() + std::size_t(text.size()));
    while (p != e) {
        const char16_t* run = p;
        while (p != e && *p < 0x80 && *p != '"' && *p != '\'' && *p != '&' && *p != '<')
            ++p;
        for (; run != p; ++run)
            out.push_back(char(*run));
        if (p == e)
            break;
        char32_t c = *p++;
        if (const char* entity = entity_for(c)) {
            out += entity;
            continue;
        }
        if (c >= 0xD800 && c <= 0xDFFF) {
            // A pair becomes one code point; anything else cannot be encoded, and the rest of
            // the value is dropped rather than written as invalid UTF-8.
            if (c > 0xDBFF || p == e || *p < 0xDC00 || *p > 0xDFFF)
                return;
            c = 0x10000 + ((c - 0xD800) << 10) + (char32_t(*p++) - 0xDC00);
        }
        append_utf8(out, c);
    }
}

void append_escaped(std::string& out, std::string_view utf8) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (const char* entity = entity_for(char32_t(static_cast<unsigned char>(utf8[i])))) {
            out.append(utf8, start, i - start);
            out += entity;
            start = i + 1;
        }
    }
    out.append(utf8, start, utf8.size() - start);
}

} // namespace xmlb
