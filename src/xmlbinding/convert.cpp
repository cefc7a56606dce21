#include "xmlbinding/convert.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace xmlb {

void apply_whitespace(std::string& value, whitespace ws) {
    if (ws == whitespace::preserve)
        return;
    bool any = false;
    for (const char c : value)
        any = any || c == ' ' || c == '\t' || c == '\n' || c == '\r';
    if (!any)
        return;
    for (char& c : value)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    if (ws == whitespace::replace)
        return;
    std::size_t out = 0;
    bool pending_blank = false;
    for (const char c : value) {
        if (c == ' ') {
            pending_blank = out != 0;
            continue;
        }
        if (pending_blank)
            value[out++] = ' ';
        pending_blank = false;
        value[out++] = c;
    }
    value.resize(out);
}

int parse_bool(std::string_view text, bool& out) {
    if (text == "true" || text == "1") {
        out = true;
        return 0;
    }
    if (text == "false" || text == "0") {
        out = false;
        return 0;
    }
    return err_invalid_value;
}

namespace {

// Compares two unsigned decimal digit strings without leading zeros.
int compare_magnitude(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

struct decimal {
    bool negative = false;
    std::string_view digits; // no leading zeros; empty for zero
};

bool split_integer(std::string_view text, decimal& d) {
    std::size_t i = 0;
    if (!text.empty() && (text[0] == '+' || text[0] == '-'))
        d.negative = text[i++] == '-';
    if (i == text.size())
        return false;
    for (std::size_t j = i; j < text.size(); ++j)
        if (text[j] < '0' || text[j] > '9')
            return false;
    while (i < text.size() && text[i] == '0')
        ++i;
    d.digits = text.substr(i);
    if (d.digits.empty())
        d.negative = false;
    return true;
}

// Sign-aware comparison of two integers in decimal text.
int compare_decimal(const decimal& a, const decimal& b) {
    if (a.negative != b.negative)
        return a.negative ? -1 : 1;
    const int m = compare_magnitude(a.digits, b.digits);
    return a.negative ? -m : m;
}

} // namespace

int check_integer(std::string_view text, std::string_view min, std::string_view max) {
    decimal value, lo, hi;
    if (!split_integer(text, value))
        return err_invalid_value;
    if (!max.empty() && split_integer(max, hi) && compare_decimal(value, hi) > 0)
        return err_above_maximum;
    if (!min.empty() && split_integer(min, lo) && compare_decimal(value, lo) < 0)
        return err_below_minimum;
    return 0;
}

int parse_double(std::string_view text, double& out) {
    if (text == "NaN") {
        out = std::numeric_limits<double>::quiet_NaN();
        return 0;
    }
    if (text == "INF" || text == "+INF") {
        out = std::numeric_limits<double>::infinity();
        return 0;
    }
    if (text == "-INF") {
        out = -std::numeric_limits<double>::infinity();
        return 0;
    }
    // Lexical form: sign? digits ('.' digits?)? or '.' digits, then optional exponent.
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t mantissa_digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i, ++mantissa_digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i, ++mantissa_digits;
    }
    if (mantissa_digits == 0)
        return err_invalid_value;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        std::size_t exponent_digits = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i, ++exponent_digits;
        if (exponent_digits == 0)
            return err_invalid_value;
    }
    if (i != text.size())
        return err_invalid_value;
    const char* begin = text.data() + (text[0] == '+' ? 1 : 0);
    const auto [end, ec] = std::from_chars(begin, text.data() + text.size(), out);
    if (ec == std::errc::result_out_of_range) {
        // Beyond the type's range: XML Schema rounds to infinity or to zero. The decimal
        // exponent of the first significant digit tells which.
        long long exponent = 0;
        const std::size_t e = text.find_first_of("eE");
        const std::string_view mantissa = text.substr(0, e);
        if (e != std::string_view::npos) {
            std::string_view ex = text.substr(e + 1);
            const bool negative_exponent = !ex.empty() && ex[0] == '-';
            if (!ex.empty() && (ex[0] == '+' || ex[0] == '-'))
                ex.remove_prefix(1);
            for (char c : ex)
                exponent = std::min<long long>(exponent * 10 + (c - '0'), 1'000'000'000);
            if (negative_exponent)
                exponent = -exponent;
        }
        const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
        const std::size_t first = mantissa.find_first_of("123456789");
        if (first != std::string_view::npos)
            exponent +=
                first < point ? (long long)(point - first) - 1 : -(long long)(first - point);
        const bool negative = text[0] == '-';
        out = exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
        if (negative)
            out = -out;
        return 0;
    }
    return ec == std::errc() && end == text.data() + text.size() ? 0 : err_invalid_value;
}

int parse_float(std::string_view text, float& out) {
    double d;
    if (int rc = parse_double(text, d))
        return rc;
    out = float(d);
    return 0;
}

namespace {
std::string format_real(double value, int digits) {
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (value == 0)
        return std::signbit(value) ? "-0.0" : "0.0";
    // to_chars, unlike printf, ignores the process locale's decimal separator.
    char buf[40];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, digits);
    return std::string(buf, res.ptr);
}
} // namespace

std::string format_float(float value) {
    return format_real(value, 7);
}

std::string format_double(double value) {
    return format_real(value, 17);
}

} // namespace xmlb
