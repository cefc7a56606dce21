#pragma once

#include "xmlbinding/errors.h"
#include "xmlbinding/read.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace xmlb {

// Tokens of the current item. Generated tables use tokens from tok_first upward.
enum token : int {
    tok_none = 0,    // an error stopped reading
    tok_unknown = 1, // an element or attribute that no table row names
    tok_end = 2,     // the end tag of the current element, or no further attribute
    tok_eof = 3,     // the end of the document after the root element
    tok_xsi_type = 8,
    tok_xsi_nil = 9,
    tok_xsi_schema_location = 10,
    tok_xsi_no_namespace_schema_location = 11,
    tok_first = 16,
};

enum class item_kind : unsigned char { element, attribute };

// One row of a generated name table; a row whose name is null ends the table.
struct name_row {
    item_kind kind;
    const char* name;
    int token;
};

enum class encoding : unsigned char {
    unknown,
    utf8,
    utf16le,
    utf16be,
    ucs2le,
    ucs2be,
    latin1,
    ascii
};

// Whitespace handling of a simple type's value.
enum class whitespace : unsigned char { preserve, replace, collapse };

// Pulls the items of an XML document from a byte source: the tokenizer under the generated
// reader functions. Names and values come out as UTF-8 whatever the input encoding.
class c_xml_reader {
public:
    // Replacement text that entity references of one document may produce in all.
    static constexpr std::size_t max_entity_expansion = 1024 * 1024;

    explicit c_xml_reader(c_read& source);
    virtual ~c_xml_reader();

    // Called with every error; returns the code that stands (0 would ignore the error).
    virtual int error_hook(int code, const char* item, const char* file, int line);
    virtual int default_error_hook(int code, const char* item, const char* file, int line);
    // "No Error", or "line:<n>-'<item>'-<message>".
    virtual std::string error_text() const;

    // Steps to the next element start or end tag, skipping whitespace, comments and processing
    // instructions. A start tag is classified against the table (tok_unknown without one); the
    // end tag of the current element gives tok_end (and closes it); the end of input after the
    // root gives tok_eof. With must_be_start anything but a start tag is error 16.
    int next_item(const name_row* table = nullptr, bool must_be_start = false);

    // The next attribute of the current start tag classified against the table, or tok_end.
    // Namespace declarations are taken by the reader and never returned.
    int next_attribute(const name_row* table = nullptr);

    // Reads the simple content of the current element up to and including its end tag. An
    // element with child elements is error 29.
    int read_value(std::string& out, whitespace ws, bool& was_empty);

    // Steps over the content and end tag of the current element.
    int skip_element();

    // After the root's end tag: only comments, processing instructions and whitespace may follow.
    int finish();

    // Stores the code and the item and passes them to the error hook; returns the hook's answer.
    int error(int code, std::string_view item, const char* file, int line);

    int token() const { return m_token; }
    std::string_view name() const { return m_name; }
    std::string_view local_name() const { return std::string_view(m_name).substr(m_local_off); }
    bool is_empty() const { return m_empty; }
    std::string_view attr_name() const;
    std::string_view attr_local_name() const;
    std::string_view attr_value() const;
    int line() const { return m_line; }
    // Number of open elements.
    std::size_t depth() const { return m_open_start.size(); }
    encoding detected_encoding() const { return m_enc; }
    int last_error() const { return m_error; }
    // A buffer for the caller's value text, kept across items so that reading does not allocate.
    std::string& value_buffer() { return m_value; }
    const std::string& error_item() const { return m_error_item; }
    // Namespace bound to the prefix at the current element ("" for the default namespace).
    std::string_view namespace_uri(std::string_view prefix) const;

    static int classify(const name_row* table, item_kind kind, std::string_view local_name);

private:
    struct frame {
        const unsigned char* p;
        const unsigned char* e;
        encoding enc;
        const std::string* name;
    };
    struct attribute {
        std::uint32_t name_off, name_len, value_off, value_len, local_off;
    };
    struct ns_decl {
        std::string prefix, uri;
        std::size_t depth;
    };
    enum class phase : unsigned char { before_start, prolog, content, epilog, broken };

    // Character layer: m_c is the current character (lookahead), m_p the byte after it.
    static constexpr char32_t eof_char = 0x110001;
    static constexpr char32_t bad_char = 0x110002;
    void adv() {
        m_line += m_nl;
        m_nl = 0;
        if (m_bytewise && m_p != m_e) {
            const unsigned b = *m_p;
            if (b - 0x20u < 0x60u) {
                m_c = b;
                ++m_p;
                m_after_cr = false;
                return;
            }
        }
        slow_adv();
    }
    void slow_adv();
    char32_t decode();
    int next_byte();
    void set_range_encoding(encoding enc);
    bool skip_ws();
    void plain_run(const unsigned char* table, std::string& out);

    int start();
    int fail(int code, std::string_view item, int line);
    int char_error(int line);
    int read_name(std::string& out);
    // Offset of the local part in a name read into out from start.
    static std::size_t local_offset(const std::string& out, std::size_t start);
    int read_char_ref(char32_t& value);
    int expect_keyword(std::string_view word, int code);
    int parse_xml_decl();
    int apply_declared_encoding(std::string_view name);
    int skip_pi(bool decl_allowed);
    int skip_comment();
    int parse_doctype();
    int parse_entity_decl();
    int read_quoted(std::string& out, bool entity_value, int code);
    int parse_start_tag();
    int read_attribute_value(char32_t quote);
    int parse_end_tag();
    int read_cdata(std::string& out);
    int parse_reference(std::string* out);
    int push_entity(const std::string& name, const std::string& value);
    int content(std::string* out, bool allow_children);
    void pop_namespaces(std::size_t depth);

    c_read& m_src;
    const unsigned char* m_p = nullptr;
    const unsigned char* m_e = nullptr;
    encoding m_enc = encoding::unknown;
    encoding m_range_enc = encoding::unknown;
    bool m_bytewise = false;
    bool m_after_cr = false;
    char32_t m_c = eof_char;
    int m_line = 1;
    int m_nl = 0;

    phase m_phase = phase::before_start;
    bool m_seen_doctype = false;
    bool m_doc_start = false;
    bool m_empty = false;
    int m_token = tok_none;
    std::string m_name;
    std::size_t m_local_off = 0; // where the name's local part begins
    std::string m_scratch;
    std::string m_value;
    std::string m_open;                      // names of the open elements, back to back
    std::vector<std::uint32_t> m_open_start; // where each open name begins in m_open
    std::string m_attr_text;
    std::vector<attribute> m_attrs;
    std::size_t m_attr_next = 0;
    std::size_t m_attr_cur = 0;
    std::vector<ns_decl> m_ns;

    std::unordered_map<std::string, std::string> m_entities;
    std::vector<frame> m_frames;
    std::size_t m_expanded = 0;

    int m_error = err_none;
    int m_error_line = 0;
    std::string m_error_item;
};

} // namespace xmlb
