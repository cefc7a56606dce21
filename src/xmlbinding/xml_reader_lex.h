#pragma once

// Shared by the parts of c_xml_reader: character classes, texts of the tokenizer's errors.

#include <array>
#include <cstddef>
#include <string_view>

namespace xmlb::lex {

inline constexpr const char* premature_end = "Premature end of file encountered";
inline constexpr const char* not_well_formed = "XML not well-formed";
inline constexpr const char* encoding_mismatch =
    "Specified character encoding does not match byte format";
inline constexpr std::size_t max_entity_depth = 64;

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
inline constexpr std::array<unsigned char, 256> classes = make_classes();

constexpr std::array<unsigned char, 256> make_run_table(unsigned char bit) {
    std::array<unsigned char, 256> t{};
    for (int c = 0; c < 256; ++c)
        t[c] = (classes[c] & bit) ? 1 : 0;
    return t;
}
inline constexpr std::array<unsigned char, 256> name_run = make_run_table(c_name);
inline constexpr std::array<unsigned char, 256> text_run = make_run_table(c_text);
inline constexpr std::array<unsigned char, 256> attr_run = make_run_table(c_attr);

inline bool is_name_start(char32_t c) {
    return c < 0x80 ? (classes[c] & c_name_start) != 0 : c <= 0x10FFFF;
}
inline bool is_name_char(char32_t c) {
    return c < 0x80 ? (classes[c] & c_name) != 0 : c <= 0x10FFFF;
}
inline bool is_space(char32_t c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
inline bool is_xml_char(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}
inline bool iequals(std::string_view a, std::string_view b) {
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

} // namespace xmlb::lex

#define XMLB_FAIL(code, item) fail((code), (item), __LINE__)
