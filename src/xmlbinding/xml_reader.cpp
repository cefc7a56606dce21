#include "xmlbinding/xml_reader.h"

#include "xmlbinding/convert.h"
#include "xmlbinding/xml_reader_lex.h"

namespace xmlb {

using namespace lex;

namespace {
// The working buffers of the last reader that ended on this thread, so that reading a short
// message allocates nothing for them. Oversized buffers are not kept.
struct kept_buffers {
    std::string name, scratch, value, open, attr_text;
    std::vector<std::uint32_t> open_start;
};
constexpr std::size_t max_kept = 64 * 1024;
thread_local kept_buffers kept;

template <class C> void take(C& mine, C& pool) {
    mine.swap(pool);
    mine.clear();
}
template <class C> void give(C& mine, C& pool) {
    if (mine.capacity() <= max_kept && mine.capacity() > pool.capacity())
        mine.swap(pool);
}
} // namespace

c_xml_reader::c_xml_reader(c_read& source) : m_src(source) {
    take(m_name, kept.name);
    take(m_scratch, kept.scratch);
    take(m_value, kept.value);
    take(m_open, kept.open);
    take(m_attr_text, kept.attr_text);
    take(m_open_start, kept.open_start);
}

c_xml_reader::~c_xml_reader() {
    give(m_name, kept.name);
    give(m_scratch, kept.scratch);
    give(m_value, kept.value);
    give(m_open, kept.open);
    give(m_attr_text, kept.attr_text);
    give(m_open_start, kept.open_start);
}

int c_xml_reader::error_hook(int code, const char* item, const char* file, int line) {
    return default_error_hook(code, item, file, line);
}

int c_xml_reader::default_error_hook(int code, const char*, const char*, int) {
    return code;
}

std::string c_xml_reader::error_text() const {
    if (m_error == err_none)
        return error_message(err_none);
    return "line:" + std::to_string(m_error_line) + "-'" + m_error_item + "'-" +
           error_message(m_error);
}

int c_xml_reader::error(int code, std::string_view item, const char* file, int line) {
    m_error = code;
    m_error_item.assign(item);
    m_error_line = m_line;
    m_error = error_hook(code, m_error_item.c_str(), file, line);
    return m_error;
}

// Tokenizer failures end reading whatever the hook answers; the original code tells the
// internal callers to unwind.
int c_xml_reader::fail(int code, std::string_view item, int line) {
    m_phase = phase::broken;
    error(code, item, __FILE__, line);
    return code;
}

int c_xml_reader::char_error(int line) {
    if (m_c == eof_char)
        return fail(err_premature_end, premature_end, line);
    return fail(err_encoding_mismatch, "Invalid byte sequence for the character encoding", line);
}

std::string_view c_xml_reader::attr_name() const {
    if (m_attr_cur >= m_attrs.size())
        return {};
    const attribute& a = m_attrs[m_attr_cur];
    return std::string_view(m_attr_text).substr(a.name_off, a.name_len);
}

std::string_view c_xml_reader::attr_local_name() const {
    if (m_attr_cur >= m_attrs.size())
        return {};
    const attribute& a = m_attrs[m_attr_cur];
    return std::string_view(m_attr_text)
        .substr(a.local_off, a.name_len - (a.local_off - a.name_off));
}

std::size_t c_xml_reader::local_offset(const std::string& out, std::size_t start) {
    // Names are short: a plain loop beats a library call here.
    for (std::size_t i = start; i < out.size(); ++i)
        if (out[i] == ':')
            return i + 1;
    return start;
}

std::string_view c_xml_reader::attr_value() const {
    if (m_attr_cur >= m_attrs.size())
        return {};
    const attribute& a = m_attrs[m_attr_cur];
    return std::string_view(m_attr_text).substr(a.value_off, a.value_len);
}

std::string_view c_xml_reader::namespace_uri(std::string_view prefix) const {
    for (auto it = m_ns.rbegin(); it != m_ns.rend(); ++it)
        if (it->prefix == prefix)
            return it->uri;
    if (prefix == "xml")
        return "http://www.w3.org/XML/1998/namespace";
    return {};
}

int c_xml_reader::classify(const name_row* table, item_kind kind, std::string_view local_name) {
    if (table)
        for (const name_row* row = table; row->name; ++row)
            if (row->kind == kind && local_name == row->name)
                return row->token;
    if (kind == item_kind::attribute) {
        if (local_name == "type")
            return tok_xsi_type;
        if (local_name == "nil")
            return tok_xsi_nil;
        if (local_name == "schemaLocation")
            return tok_xsi_schema_location;
        if (local_name == "noNamespaceSchemaLocation")
            return tok_xsi_no_namespace_schema_location;
    }
    return tok_unknown;
}

int c_xml_reader::next_item(const name_row* table, bool must_be_start) {
    if (m_phase == phase::before_start && start())
        return m_token = tok_none;
    if (m_phase == phase::broken)
        return m_token = tok_none;
    m_empty = false;
    m_attrs.clear();
    m_attr_next = m_attr_cur = 0;
    for (;;) {
        if (skip_ws())
            m_doc_start = false;
        const char32_t c = m_c;
        if (c == '<') {
            adv();
            if (m_c == '?') {
                const bool decl_allowed = m_doc_start;
                m_doc_start = false;
                if (skip_pi(decl_allowed))
                    return m_token = tok_none;
                continue;
            }
            m_doc_start = false;
            if (m_c == '!') {
                adv();
                int rc = 0;
                if (m_c == '-') {
                    rc = skip_comment();
                } else if (m_c == 'D') {
                    rc = parse_doctype();
                } else if (m_c == '[' && m_phase == phase::content) {
                    m_scratch.clear();
                    rc = read_cdata(m_scratch);
                    for (char ch : m_scratch)
                        if (!rc && !is_space(char32_t(ch)))
                            rc = XMLB_FAIL(err_not_well_formed, "Unexpected character data");
                } else {
                    rc = XMLB_FAIL(err_not_well_formed, not_well_formed);
                }
                if (rc)
                    return m_token = tok_none;
                continue;
            }
            if (m_c == '/') {
                if (parse_end_tag())
                    return m_token = tok_none;
                if (must_be_start) {
                    error(err_element_not_found, m_name, __FILE__, __LINE__);
                    return m_token = tok_none;
                }
                return m_token = tok_end;
            }
            if (m_phase == phase::epilog) {
                XMLB_FAIL(err_not_well_formed, "Content after the root element");
                return m_token = tok_none;
            }
            if (parse_start_tag())
                return m_token = tok_none;
            m_phase = m_empty && m_open_start.empty() ? phase::epilog : phase::content;
            return m_token = classify(table, item_kind::element, local_name());
        }
        m_doc_start = false;
        if (c == '&' && m_phase == phase::content) {
            if (parse_reference(nullptr))
                return m_token = tok_none;
            continue;
        }
        if (c == eof_char && m_phase == phase::epilog) {
            if (must_be_start) {
                error(err_element_not_found, "end of file", __FILE__, __LINE__);
                return m_token = tok_none;
            }
            return m_token = tok_eof;
        }
        if (c > 0x10FFFF)
            char_error(__LINE__);
        else
            XMLB_FAIL(err_not_well_formed,
                      m_phase == phase::content ? "Unexpected character data" : not_well_formed);
        return m_token = tok_none;
    }
}

int c_xml_reader::next_attribute(const name_row* table) {
    if (m_attr_next >= m_attrs.size())
        return tok_end;
    m_attr_cur = m_attr_next++;
    return classify(table, item_kind::attribute, attr_local_name());
}

int c_xml_reader::content(std::string* out, bool allow_children) {
    const std::size_t depth = m_open_start.size();
    std::string& sink = out ? *out : m_scratch;
    for (;;) {
        const char32_t c = m_c;
        if (c == '<') {
            adv();
            int rc = 0;
            if (m_c == '/') {
                rc = parse_end_tag();
                if (!rc && m_open_start.size() < depth)
                    return 0;
            } else if (m_c == '!') {
                adv();
                if (m_c == '-')
                    rc = skip_comment();
                else if (m_c == '[')
                    rc = read_cdata(sink);
                else
                    rc = XMLB_FAIL(err_not_well_formed, not_well_formed);
            } else if (m_c == '?') {
                rc = skip_pi(false);
            } else if (allow_children) {
                rc = parse_start_tag();
            } else {
                const std::string element(std::string_view(m_open).substr(m_open_start.back()));
                rc = XMLB_FAIL(err_element_value, element);
            }
            if (rc)
                return rc;
            if (!out && m_scratch.size() > 4096)
                m_scratch.clear();
            continue;
        }
        if (c == '&') {
            if (int rc = parse_reference(&sink))
                return rc;
            continue;
        }
        if (c > 0x10FFFF)
            return char_error(__LINE__);
        append_utf8(sink, c);
        plain_run(text_run.data(), sink);
        adv();
    }
}

int c_xml_reader::read_value(std::string& out, whitespace ws, bool& was_empty) {
    out.clear();
    was_empty = m_empty;
    if (m_phase == phase::broken)
        return m_error;
    if (m_empty)
        return 0;
    if (content(&out, false))
        return m_error;
    apply_whitespace(out, ws);
    return 0;
}

int c_xml_reader::skip_element() {
    if (m_phase == phase::broken)
        return m_error;
    if (m_empty)
        return 0;
    const int rc = content(nullptr, true) ? m_error : 0;
    m_scratch.clear();
    return rc;
}

int c_xml_reader::finish() {
    if (m_phase == phase::broken)
        return m_error;
    const int t = next_item(nullptr, false);
    if (t == tok_eof)
        return 0;
    if (t == tok_none)
        return m_error;
    XMLB_FAIL(err_not_well_formed, "Content after the root element");
    return m_error;
}

} // namespace xmlb
