#pragma once

#include "xmlbinding/errors.h"

#include <QString>

#include <string>
#include <string_view>

namespace xmlb {

// A namespace declaration written on the first element; a row without prefix ends the list.
struct ns_binding {
    const char* prefix; // "" for the default namespace
    const char* uri;
};

// Writes UTF-8 XML into a string: one element per line, indented per nesting level.
class c_xml_writer {
public:
    c_xml_writer(std::string& out, std::string indent, std::string line_end);
    virtual ~c_xml_writer();

    virtual int error_hook(int code, const char* item, const char* file, int line);
    virtual int default_error_hook(int code, const char* item, const char* file, int line);
    // "No Error", or "'<item>'-<message>".
    virtual std::string error_text() const;
    virtual const std::string& line_end() const;
    virtual void write_indent();

    // One indent string per nesting level.
    void indent();
    // '<' and the name.
    void start_tag(std::string_view name);
    // The declarations, on the first element written only.
    void namespaces(const ns_binding* bindings);
    // A blank, name="escaped value".
    void attribute(std::string_view name, const QString& value);
    void attribute_raw(std::string_view name, std::string_view utf8_value);
    // '>' and, with end_line, the line end.
    void close_start(bool end_line);
    void raise() { ++m_level; }
    void lower() {
        if (m_level > 0)
            --m_level;
    }
    int level() const { return m_level; }
    // "</", name, '>' and, with end_line, the line end.
    void end_tag(std::string_view name, bool end_line = true);
    void end_line() { m_out += line_end(); }

    // The value with '"', '\'', '&' and '<' as entities; surrogate pairs become one UTF-8
    // sequence; a lone surrogate ends the value there.
    void value(const QString& text);
    void value_utf8(std::string_view text);
    void value(int v);
    void value(long long v);
    void value(unsigned long long v);
    void value(bool v) { m_out += v ? "true" : "false"; }
    void value(float v);
    void value(double v);
    void raw(std::string_view text) { m_out += text; }

    int error(int code, std::string_view item, const char* file, int line);
    int last_error() const { return m_error; }
    const std::string& error_item() const { return m_error_item; }
    std::string& output() { return m_out; }

private:
    std::string& m_out;
    int m_level = 0;
    std::string m_indent;
    std::string m_line_end;
    bool m_namespaces_written = false;
    int m_error = err_none;
    std::string m_error_item;
};

// Appends text as UTF-8 with the writer's escaping.
void append_escaped(std::string& out, const QString& text);
void append_escaped(std::string& out, std::string_view utf8);

} // namespace xmlb
