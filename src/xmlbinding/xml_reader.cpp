#include "xmlbinding/xml_reader.h"

#include "xmlbinding/convert.h"

#include <array>

namespace xmlb {

namespace {

constexpr const char* premature_end = "Premature end of file encountered";
constexpr const char* not_well_formed = "XML not well-formed";
constexpr const char* encoding_mismatch = "Specified character encoding does not match byte format";
constexpr std::size_t max_entity_depth = 64;

enum : unsigned char { c_name_start = 1, c_name = 2, c_text = 4, c_attr = 8 };

constexpr std::array<unsigned char, 256> make_classes() {
    std::array<unsigned char, 256> t{};
    for (int c = 0x20; c < 0x80; ++c) {
        if (c != '<' && c != '&')
            t[c] |= c_text;
        if (c != '<' && c != '&' && c != '"' && c != '\'')
            t[c] |= c_attr;
    }
    for (int c = 'a'; c <= 'z'; ++c)
        t[c] |= c_name_start | c_name;
    for (int c = 'A'; c <= 'Z'; ++c)
        t[c] |= c_name_start | c_name;
    for (int c = '0'; c <= '9'; ++c)
        t[c] |= c_name;
    t['_'] |= c_name_start | c_name;
    t[':'] |= c_name_start | c_name;
    t['-'] |= c_name;
    t['.'] |= c_name;
    return t;
}
constexpr std::array<unsigned char, 256> classes = make_classes();

constexpr std::array<unsigned char, 256> make_run_table(unsigned char bit) {
    std::array<unsigned char, 256> t{};
    for (int c = 0; c < 256; ++c)
        t[c] = (classes[c] & bit) ? 1 : 0;
    return t;
}
constexpr std::array<unsigned char, 256> name_run = make_run_table(c_name);
constexpr std::array<unsigned char, 256> text_run = make_run_table(c_text);
constexpr std::array<unsigned char, 256> attr_run = make_run_table(c_attr);

bool is_name_start(char32_t c) {
    return c < 0x80 ? (classes[c] & c_name_start) != 0 : c <= 0x10FFFF;
}
bool is_name_char(char32_t c) {
    return c < 0x80 ? (classes[c] & c_name) != 0 : c <= 0x10FFFF;
}
bool is_space(char32_t c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
bool is_xml_char(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}
bool iequals(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = char(x - 32);
        if (y >= 'a' && y <= 'z')
            y = char(y - 32);
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

#define XMLB_FAIL(code, item) fail((code), (item), __LINE__)

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

// ---- character layer --------------------------------------------------------------------

void c_xml_reader::set_range_encoding(encoding enc) {
    m_range_enc = enc;
    m_bytewise = enc == encoding::utf8 || enc == encoding::latin1 || enc == encoding::ascii;
}

int c_xml_reader::next_byte() {
    if (m_p == m_e) {
        if (!m_frames.empty())
            return -1;
        m_src.set_cur(m_p);
        if (!m_src.refill())
            return -1;
        m_p = m_src.cur();
        m_e = m_src.end();
    }
    return *m_p++;
}

char32_t c_xml_reader::decode() {
    switch (m_range_enc) {
    case encoding::utf8: {
        const unsigned b0 = *m_p++;
        if (b0 < 0x80)
            return b0;
        int n;
        char32_t c, min;
        if ((b0 & 0xE0) == 0xC0) {
            n = 1, c = b0 & 0x1F, min = 0x80;
        } else if ((b0 & 0xF0) == 0xE0) {
            n = 2, c = b0 & 0x0F, min = 0x800;
        } else if ((b0 & 0xF8) == 0xF0) {
            n = 3, c = b0 & 0x07, min = 0x10000;
        } else {
            return bad_char;
        }
        for (int i = 0; i < n; ++i) {
            const int b = next_byte();
            if (b < 0 || (b & 0xC0) != 0x80)
                return bad_char;
            c = (c << 6) | char32_t(b & 0x3F);
        }
        if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return bad_char;
        return c;
    }
    case encoding::latin1:
        return *m_p++;
    case encoding::ascii: {
        const unsigned b = *m_p++;
        return b < 0x80 ? b : bad_char;
    }
    case encoding::utf16le:
    case encoding::utf16be:
    case encoding::ucs2le:
    case encoding::ucs2be: {
        const bool le = m_range_enc == encoding::utf16le || m_range_enc == encoding::ucs2le;
        auto unit = [&](int first) -> int {
            const int second = next_byte();
            if (first < 0 || second < 0)
                return -1;
            return le ? (first | (second << 8)) : ((first << 8) | second);
        };
        const int u = unit(*m_p++);
        if (u < 0)
            return bad_char;
        if (u < 0xD800 || u > 0xDFFF)
            return char32_t(u);
        if (u > 0xDBFF || m_range_enc == encoding::ucs2le || m_range_enc == encoding::ucs2be)
            return bad_char;
        const int low = unit(next_byte());
        if (low < 0xDC00 || low > 0xDFFF)
            return bad_char;
        return 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(low) - 0xDC00);
    }
    case encoding::unknown:
        break;
    }
    return bad_char;
}

void c_xml_reader::slow_adv() {
    m_line += m_nl;
    m_nl = 0;
    for (;;) {
        if (m_p == m_e) {
            if (!m_frames.empty()) {
                const frame f = m_frames.back();
                m_frames.pop_back();
                m_p = f.p;
                m_e = f.e;
                set_range_encoding(f.enc);
                continue;
            }
            m_src.set_cur(m_p);
            if (!m_src.refill()) {
                m_c = eof_char;
                return;
            }
            m_p = m_src.cur();
            m_e = m_src.end();
            continue;
        }
        char32_t c = decode();
        if (m_after_cr) {
            m_after_cr = false;
            if (c == '\n')
                continue;
        }
        if (c == '\r') {
            m_after_cr = true;
            c = '\n';
        } else if (c == 0x85 || c == 0x2028) {
            c = '\n';
        }
        if (c == '\n' && m_frames.empty())
            m_nl = 1;
        m_c = c;
        return;
    }
}

bool c_xml_reader::skip_ws() {
    if (!is_space(m_c))
        return false;
    do {
        // The indentation between elements: blanks, tabs and line feeds in one sweep. A line feed
        // right after a carriage return belongs to it and takes the slow path.
        if (m_bytewise && !m_after_cr) {
            const unsigned char* p = m_p;
            int lines = 0;
            while (p != m_e && (*p == ' ' || *p == '\t' || *p == '\n')) {
                lines += *p == '\n';
                ++p;
            }
            if (m_frames.empty())
                m_line += lines;
            m_p = p;
        }
        adv();
    } while (is_space(m_c));
    return true;
}

// Copies the bytes after the current character that the table marks as plain in one go; the
// caller has consumed m_c and calls adv() next.
void c_xml_reader::plain_run(const unsigned char* table, std::string& out) {
    if (!m_bytewise)
        return;
    const unsigned char* p = m_p;
    while (p != m_e && table[*p])
        ++p;
    if (p != m_p) {
        out.append(reinterpret_cast<const char*>(m_p), std::size_t(p - m_p));
        m_p = p;
        m_after_cr = false;
    }
}

// ---- document structure -----------------------------------------------------------------

int c_xml_reader::start() {
    m_phase = phase::prolog;
    if (m_src.failed())
        return XMLB_FAIL(err_open_file, m_src.name());
    m_p = m_src.cur();
    m_e = m_src.end();
    if (m_p == m_e && m_src.refill()) {
        m_p = m_src.cur();
        m_e = m_src.end();
    }
    const std::size_t n = std::size_t(m_e - m_p);
    if (n == 0)
        return XMLB_FAIL(err_premature_end, premature_end);
    auto at = [&](std::size_t i) {
        return i < n ? int(m_p[i]) : -1;
    };
    auto blank_or_lt = [](int b) {
        return b == ' ' || b == '\t' || b == '\r' || b == '\n' || b == '<';
    };
    const int b0 = at(0), b1 = at(1), b2 = at(2);
    if (b0 == 0xEF && b1 == 0xBB && b2 == 0xBF) {
        m_enc = encoding::utf8;
        m_p += 3;
    } else if (b0 == 0xFF && b1 == 0xFE && b2 > 0) {
        m_enc = encoding::utf16le;
        m_p += 2;
    } else if (b0 == 0xFE && b1 == 0xFF && b2 == 0) {
        m_enc = encoding::utf16be;
        m_p += 2;
    } else if (blank_or_lt(b0)) {
        m_enc = b1 == 0 ? encoding::utf16le : encoding::utf8;
    } else if (b0 == 0 && blank_or_lt(b1)) {
        m_enc = encoding::utf16be;
    } else {
        return XMLB_FAIL(err_encoding_unsupported, "Unrecognised character encoding");
    }
    set_range_encoding(m_enc);
    m_doc_start = true;
    adv();
    return 0;
}

int c_xml_reader::read_name(std::string& out) {
    if (!is_name_start(m_c))
        return m_c > 0x10FFFF ? char_error(__LINE__)
                              : XMLB_FAIL(err_not_well_formed, not_well_formed);
    do {
        append_utf8(out, m_c);
        plain_run(name_run.data(), out);
        adv();
    } while (is_name_char(m_c));
    return 0;
}

int c_xml_reader::read_char_ref(char32_t& value) {
    adv(); // '#'
    unsigned base = 10;
    if (m_c == 'x') {
        base = 16;
        adv();
    }
    char32_t v = 0;
    int digits = 0;
    for (;; adv(), ++digits) {
        unsigned d;
        if (m_c >= '0' && m_c <= '9')
            d = m_c - '0';
        else if (base == 16 && m_c >= 'a' && m_c <= 'f')
            d = m_c - 'a' + 10;
        else if (base == 16 && m_c >= 'A' && m_c <= 'F')
            d = m_c - 'A' + 10;
        else
            break;
        v = v > 0x10FFFF ? v : v * base + d;
    }
    if (digits == 0 || m_c != ';')
        return XMLB_FAIL(err_not_well_formed, "Badly formed character reference");
    if (!is_xml_char(v))
        return XMLB_FAIL(err_not_well_formed, "Invalid character reference");
    adv();
    value = v;
    return 0;
}

int c_xml_reader::parse_reference(std::string* out) {
    adv(); // '&'
    if (m_c == '#') {
        char32_t v;
        if (int rc = read_char_ref(v))
            return rc;
        if (!out)
            return XMLB_FAIL(err_not_well_formed, "Unexpected character data");
        append_utf8(*out, v);
        return 0;
    }
    m_scratch.clear();
    if (int rc = read_name(m_scratch))
        return rc;
    if (m_c != ';')
        return XMLB_FAIL(err_not_well_formed, "Badly formed entity reference");
    static constexpr std::pair<std::string_view, char> predefined[] = {
        {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"apos", '\''}, {"quot", '"'}};
    for (const auto& [name, ch] : predefined) {
        if (m_scratch == name) {
            if (!out)
                return XMLB_FAIL(err_not_well_formed, "Unexpected character data");
            out->push_back(ch);
            adv();
            return 0;
        }
    }
    const auto it = m_entities.find(m_scratch);
    if (it == m_entities.end())
        return XMLB_FAIL(err_entity_not_found, m_scratch);
    return push_entity(it->first, it->second);
}

// Continues reading inside the replacement text; m_c is the ';' of the reference.
int c_xml_reader::push_entity(const std::string& name, const std::string& value) {
    for (const frame& f : m_frames)
        if (f.name == &name)
            return XMLB_FAIL(err_recursive_entity, name);
    if (m_frames.size() >= max_entity_depth)
        return XMLB_FAIL(err_unexpected_entity, "Entity references nested too deeply");
    m_expanded += value.size();
    if (m_expanded > max_entity_expansion)
        return XMLB_FAIL(err_unexpected_entity, "Entity expansion exceeds the limit of " +
                                                    std::to_string(max_entity_expansion) +
                                                    " bytes");
    m_frames.push_back({m_p, m_e, m_range_enc, &name});
    m_p = reinterpret_cast<const unsigned char*>(value.data());
    m_e = m_p + value.size();
    set_range_encoding(encoding::utf8);
    adv();
    return 0;
}

int c_xml_reader::skip_comment() {
    adv(); // first '-'
    if (m_c != '-')
        return XMLB_FAIL(err_bad_comment, "Badly formed comment");
    adv();
    for (;;) {
        if (m_c > 0x10FFFF)
            return char_error(__LINE__);
        if (m_c == '-') {
            adv();
            if (m_c == '-') {
                adv();
                if (m_c != '>')
                    return XMLB_FAIL(err_bad_comment, "'--' inside a comment");
                adv();
                return 0;
            }
            continue;
        }
        adv();
    }
}

int c_xml_reader::skip_pi(bool decl_allowed) {
    adv(); // '?'
    std::string target;
    if (int rc = read_name(target))
        return rc;
    if (target == "xml") {
        if (!decl_allowed)
            return XMLB_FAIL(err_bad_xml_decl, "XML declaration not at the start of the document");
        return parse_xml_decl();
    }
    for (;;) {
        if (m_c > 0x10FFFF)
            return char_error(__LINE__);
        if (m_c == '?') {
            adv();
            if (m_c == '>') {
                adv();
                return 0;
            }
            continue;
        }
        adv();
    }
}

int c_xml_reader::read_quoted(std::string& out, bool entity_value, int code) {
    const char32_t q = m_c;
    if (q != '"' && q != '\'')
        return XMLB_FAIL(code, entity_value ? "Badly formed entity value"
                                            : "Badly formed XML declaration");
    adv();
    for (;;) {
        const char32_t c = m_c;
        if (c == q) {
            adv();
            return 0;
        }
        if (c > 0x10FFFF)
            return char_error(__LINE__);
        if (entity_value && c == '%')
            return XMLB_FAIL(err_bad_dtd, "Parameter entity references not supported");
        if (entity_value && c == '&') {
            adv();
            if (m_c == '#') {
                char32_t v;
                if (int rc = read_char_ref(v))
                    return rc;
                append_utf8(out, v);
                continue;
            }
            out.push_back('&');
            if (int rc = read_name(out))
                return rc;
            if (m_c != ';')
                return XMLB_FAIL(err_not_well_formed, "Badly formed entity reference");
            out.push_back(';');
            adv();
            continue;
        }
        append_utf8(out, c);
        adv();
    }
}

int c_xml_reader::parse_xml_decl() {
    constexpr const char* bad_decl = "Badly formed XML declaration";
    std::string name, version, enc, standalone;
    auto pseudo_attribute = [&](std::string& value) -> int {
        skip_ws();
        if (m_c != '=')
            return XMLB_FAIL(err_bad_xml_decl, bad_decl);
        adv();
        skip_ws();
        return read_quoted(value, false, err_bad_xml_decl);
    };
    int seen = 0; // 1 version, 2 encoding, 3 standalone: each in this order
    for (;;) {
        const bool ws = skip_ws();
        if (m_c == '?')
            break;
        if (!ws || !is_name_start(m_c))
            return m_c > 0x10FFFF ? char_error(__LINE__) : XMLB_FAIL(err_bad_xml_decl, bad_decl);
        name.clear();
        if (int rc = read_name(name))
            return rc;
        std::string* value = nullptr;
        int order = 0;
        if (name == "version")
            value = &version, order = 1;
        else if (name == "encoding")
            value = &enc, order = 2;
        else if (name == "standalone")
            value = &standalone, order = 3;
        if (!value || order <= seen || (order > 1 && seen == 0))
            return XMLB_FAIL(err_bad_xml_decl, bad_decl);
        seen = order;
        if (int rc = pseudo_attribute(*value))
            return rc;
    }
    if (seen == 0)
        return XMLB_FAIL(err_bad_xml_decl, "XML declaration without version");
    if (version != "1.0")
        return XMLB_FAIL(err_xml_version, "XML version " + version);
    if (seen == 3 && standalone != "yes" && standalone != "no")
        return XMLB_FAIL(err_bad_xml_decl, bad_decl);
    adv(); // '?'
    if (m_c != '>')
        return XMLB_FAIL(err_bad_xml_decl, bad_decl);
    // Switch before the character after the declaration is decoded.
    if (!enc.empty())
        if (int rc = apply_declared_encoding(enc))
            return rc;
    adv();
    return 0;
}

int c_xml_reader::apply_declared_encoding(std::string_view name) {
    const bool utf16 = m_enc == encoding::utf16le || m_enc == encoding::utf16be;
    const bool utf8 = m_enc == encoding::utf8;
    if (iequals(name, "UTF-8"))
        return utf8 ? 0 : XMLB_FAIL(err_encoding_unsupported, encoding_mismatch);
    if (iequals(name, "UTF-16"))
        return utf16 ? 0 : XMLB_FAIL(err_encoding_unsupported, encoding_mismatch);
    if (iequals(name, "ISO-10646-UCS-2")) {
        if (!utf16)
            return XMLB_FAIL(err_encoding_mismatch,
                             "Mis-match between specfied encoding and byte format");
        m_enc = m_enc == encoding::utf16le ? encoding::ucs2le : encoding::ucs2be;
    } else if (iequals(name, "ISO-8859-1") || iequals(name, "US-ASCII")) {
        if (!utf8)
            return XMLB_FAIL(err_encoding_unsupported, encoding_mismatch);
        m_enc = iequals(name, "US-ASCII") ? encoding::ascii : encoding::latin1;
    } else {
        return XMLB_FAIL(err_encoding_unsupported, "Unknown character encoding specified");
    }
    set_range_encoding(m_enc);
    return 0;
}

int c_xml_reader::expect_keyword(std::string_view word, int code) {
    for (char ch : word) {
        if (m_c != char32_t(static_cast<unsigned char>(ch)))
            return m_c > 0x10FFFF ? char_error(__LINE__) : XMLB_FAIL(code, "Badly formed DTD");
        adv();
    }
    return 0;
}

int c_xml_reader::parse_doctype() {
    constexpr const char* bad_dtd = "Badly formed DTD";
    if (m_phase != phase::prolog || m_seen_doctype)
        return XMLB_FAIL(err_bad_dtd, "Document type declaration not allowed here");
    m_seen_doctype = true;
    if (int rc = expect_keyword("DOCTYPE", err_bad_dtd))
        return rc;
    if (!skip_ws())
        return XMLB_FAIL(err_bad_dtd, bad_dtd);
    std::string name;
    if (int rc = read_name(name))
        return rc;
    skip_ws();
    if (m_c == 'S' || m_c == 'P')
        return XMLB_FAIL(err_external_entity, "External DTD subsets not supported");
    if (m_c == '[') {
        adv();
        for (;;) {
            skip_ws();
            if (m_c == ']') {
                adv();
                break;
            }
            if (m_c > 0x10FFFF)
                return char_error(__LINE__);
            if (m_c == '%')
                return XMLB_FAIL(err_bad_dtd, "Parameter entity references not supported");
            if (m_c != '<')
                return XMLB_FAIL(err_bad_dtd, bad_dtd);
            adv();
            if (m_c == '?') {
                if (int rc = skip_pi(false))
                    return rc;
                continue;
            }
            if (m_c != '!')
                return XMLB_FAIL(err_bad_dtd, bad_dtd);
            adv();
            if (m_c == '-') {
                if (int rc = skip_comment())
                    return rc;
                continue;
            }
            std::string keyword;
            if (int rc = read_name(keyword))
                return rc;
            if (keyword == "ENTITY") {
                if (int rc = parse_entity_decl())
                    return rc;
            } else if (keyword == "ELEMENT" || keyword == "ATTLIST" || keyword == "NOTATION") {
                // Content models and attribute defaults are not used: step over, honouring quotes.
                char32_t quote = 0;
                while (quote || m_c != '>') {
                    if (m_c > 0x10FFFF)
                        return char_error(__LINE__);
                    if (quote ? m_c == quote : (m_c == '"' || m_c == '\''))
                        quote = quote ? 0 : m_c;
                    adv();
                }
                adv();
            } else {
                return XMLB_FAIL(err_bad_dtd, bad_dtd);
            }
        }
        skip_ws();
    }
    if (m_c != '>')
        return m_c > 0x10FFFF ? char_error(__LINE__) : XMLB_FAIL(err_bad_dtd, bad_dtd);
    adv();
    return 0;
}

int c_xml_reader::parse_entity_decl() {
    constexpr const char* bad_dtd = "Badly formed DTD";
    if (!skip_ws())
        return XMLB_FAIL(err_bad_dtd, bad_dtd);
    bool parameter = false;
    if (m_c == '%') {
        parameter = true;
        adv();
        if (!skip_ws())
            return XMLB_FAIL(err_bad_dtd, bad_dtd);
    }
    std::string name, value;
    if (int rc = read_name(name))
        return rc;
    if (!skip_ws())
        return XMLB_FAIL(err_bad_dtd, bad_dtd);
    if (m_c == 'S' || m_c == 'P')
        return XMLB_FAIL(err_external_entity, "External Entity definitions not supported");
    if (int rc = read_quoted(value, true, err_bad_dtd))
        return rc;
    skip_ws();
    if (m_c != '>')
        return m_c > 0x10FFFF ? char_error(__LINE__) : XMLB_FAIL(err_bad_dtd, bad_dtd);
    adv();
    if (!parameter)
        m_entities.try_emplace(std::move(name), std::move(value)); // the first definition binds
    return 0;
}

void c_xml_reader::pop_namespaces(std::size_t depth) {
    while (!m_ns.empty() && m_ns.back().depth >= depth)
        m_ns.pop_back();
}

int c_xml_reader::parse_start_tag() {
    const std::size_t depth = m_open_start.size();
    pop_namespaces(depth);
    m_name.clear();
    if (int rc = read_name(m_name))
        return rc;
    m_local_off = local_offset(m_name, 0);
    m_attr_text.clear();
    m_attrs.clear();
    m_attr_next = m_attr_cur = 0;
    for (;;) {
        const bool ws = skip_ws();
        if (m_c == '>') {
            adv();
            m_empty = false;
            m_open_start.push_back(std::uint32_t(m_open.size()));
            m_open += m_name;
            return 0;
        }
        if (m_c == '/') {
            adv();
            if (m_c != '>')
                return XMLB_FAIL(err_bad_start_tag_end, "Bad start tag end");
            adv();
            m_empty = true;
            return 0;
        }
        if (!ws)
            return m_c > 0x10FFFF ? char_error(__LINE__)
                                  : XMLB_FAIL(err_not_well_formed, not_well_formed);
        attribute a{};
        a.name_off = std::uint32_t(m_attr_text.size());
        if (int rc = read_name(m_attr_text))
            return rc;
        a.name_len = std::uint32_t(m_attr_text.size() - a.name_off);
        a.local_off = std::uint32_t(local_offset(m_attr_text, a.name_off));
        skip_ws();
        if (m_c != '=')
            return XMLB_FAIL(err_not_well_formed, not_well_formed);
        adv();
        skip_ws();
        const char32_t quote = m_c;
        if (quote != '"' && quote != '\'')
            return XMLB_FAIL(err_not_well_formed, not_well_formed);
        adv();
        a.value_off = std::uint32_t(m_attr_text.size());
        if (int rc = read_attribute_value(quote))
            return rc;
        a.value_len = std::uint32_t(m_attr_text.size() - a.value_off);
        const std::string_view text(m_attr_text);
        const std::string_view name = text.substr(a.name_off, a.name_len);
        for (const attribute& other : m_attrs)
            if (text.substr(other.name_off, other.name_len) == name)
                return XMLB_FAIL(err_attribute_read_twice, name);
        if (name == "xmlns" || name.starts_with("xmlns:")) {
            m_ns.push_back({std::string(name.substr(name == "xmlns" ? 5 : 6)),
                            std::string(text.substr(a.value_off, a.value_len)), depth});
            m_attr_text.resize(a.name_off);
            continue;
        }
        m_attrs.push_back(a);
    }
}

int c_xml_reader::read_attribute_value(char32_t quote) {
    const std::size_t base = m_frames.size();
    for (;;) {
        char32_t c = m_c;
        if (c == quote && m_frames.size() == base) {
            adv();
            return 0;
        }
        if (c == '<')
            return XMLB_FAIL(err_not_well_formed, "'<' in an attribute value");
        if (c == '&') {
            if (int rc = parse_reference(&m_attr_text))
                return rc;
            continue;
        }
        if (c > 0x10FFFF)
            return char_error(__LINE__);
        if (c == '\t' || c == '\n')
            c = ' ';
        append_utf8(m_attr_text, c);
        plain_run(attr_run.data(), m_attr_text);
        adv();
    }
}

int c_xml_reader::parse_end_tag() {
    adv(); // '/'
    m_name.clear();
    if (int rc = read_name(m_name))
        return rc;
    m_local_off = local_offset(m_name, 0);
    skip_ws();
    if (m_c != '>')
        return m_c > 0x10FFFF
                   ? char_error(__LINE__)
                   : XMLB_FAIL(err_end_tag_syntax, "End tag (" + m_name + ") not closed");
    if (m_open_start.empty())
        return XMLB_FAIL(err_not_well_formed, not_well_formed);
    const std::string_view open = std::string_view(m_open).substr(m_open_start.back());
    if (open != m_name)
        return XMLB_FAIL(err_not_well_formed, "Element start tag (" + std::string(open) +
                                                  ") and end tag (" + m_name + ") do not match");
    adv();
    m_open.resize(m_open_start.back());
    m_open_start.pop_back();
    pop_namespaces(m_open_start.size());
    if (m_open_start.empty())
        m_phase = phase::epilog;
    return 0;
}

int c_xml_reader::read_cdata(std::string& out) {
    if (int rc = expect_keyword("[CDATA[", err_not_well_formed))
        return rc;
    const std::size_t begin = out.size();
    for (;;) {
        const char32_t c = m_c;
        if (c > 0x10FFFF)
            return char_error(__LINE__);
        append_utf8(out, c);
        adv();
        if (c == '>' && out.size() - begin >= 3 && std::string_view(out).ends_with("]]>")) {
            out.resize(out.size() - 3);
            return 0;
        }
    }
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
