#include "xmlbinding/xml_reader.h"

#include "xmlbinding/convert.h"
#include "xmlbinding/xml_reader_lex.h"

namespace xmlb {

using namespace lex;

// The document structure: declarations, references, entities, tags, comments, CDATA.

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

} // namespace xmlb
