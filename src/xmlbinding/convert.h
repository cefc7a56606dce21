#pragma once

#include "xmlbinding/xml_reader.h"

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace xmlb {

inline void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(char(c));
    } else if (c < 0x800) {
        const char b[2] = {char(0xC0 | (c >> 6)), char(0x80 | (c & 0x3F))};
        out.append(b, 2);
    } else if (c < 0x10000) {
        const char b[3] = {char(0xE0 | (c >> 12)), char(0x80 | ((c >> 6) & 0x3F)),
                           char(0x80 | (c & 0x3F))};
        out.append(b, 3);
    } else {
        const char b[4] = {char(0xF0 | (c >> 18)), char(0x80 | ((c >> 12) & 0x3F)),
                           char(0x80 | ((c >> 6) & 0x3F)), char(0x80 | (c & 0x3F))};
        out.append(b, 4);
    }
}

// XML Schema whitespace facet: replace turns tab and line feed into blanks, collapse also
// folds runs of blanks into one and trims both ends.
void apply_whitespace(std::string& value, whitespace ws);

// "true"/"1" and "false"/"0"; anything else is err_invalid_value.
int parse_bool(std::string_view text, bool& out);

// Checks the lexical form of an integer (optional sign, digits) and compares it with the bounds,
// given as decimal texts, as numbers of any length: err_invalid_value, err_above_maximum,
// err_below_minimum or 0.
int check_integer(std::string_view text, std::string_view min, std::string_view max);

template <class I> int parse_integer(std::string_view text, I& out) {
    // Short plain digit strings cannot leave the type's range: convert them at once.
    const bool negative_sign = !text.empty() && text[0] == '-';
    const std::size_t first = negative_sign ? 1 : 0;
    const std::size_t digits = text.size() - first;
    if (digits > 0 && digits <= std::size_t(std::numeric_limits<I>::digits10) &&
        (!negative_sign || std::numeric_limits<I>::is_signed)) {
        I value = 0;
        std::size_t i = first;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
            value = I(value * 10 + (text[i] - '0'));
        if (i == text.size()) {
            out = negative_sign ? I(0 - value) : value;
            return 0;
        }
    }
    static const std::string min = std::to_string(std::numeric_limits<I>::min());
    static const std::string max = std::to_string(std::numeric_limits<I>::max());
    if (int rc = check_integer(text, min, max))
        return rc;
    // In range: accumulate away from zero in the sign's direction, which cannot overflow.
    bool negative = false;
    std::size_t i = 0;
    if (text[0] == '+' || text[0] == '-')
        negative = text[i++] == '-';
    I value = 0;
    for (; i < text.size(); ++i)
        value = negative ? I(value * 10 - (text[i] - '0')) : I(value * 10 + (text[i] - '0'));
    out = value;
    return 0;
}

// xs:float / xs:double lexical forms, including "NaN", "INF", "+INF" and "-INF".
int parse_double(std::string_view text, double& out);
int parse_float(std::string_view text, float& out);

// "NaN", "-INF", "INF", "0.0", "-0.0", otherwise 7 significant digits.
std::string format_float(float value);
// As format_float with 17 significant digits, enough to read back the same double.
std::string format_double(double value);

} // namespace xmlb
