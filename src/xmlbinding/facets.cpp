#include "xmlbinding/facets.h"

#include "xmlbinding/convert.h"
#include "xmlbinding/errors.h"

#include <QRegularExpression>

namespace xmlb {

namespace {

struct decimal_parts {
    bool negative = false;
    std::string_view integer;  // no leading zeros
    std::string_view fraction; // no trailing zeros
};

bool split_decimal(std::string_view t, decimal_parts& d) {
    std::size_t i = 0;
    if (!t.empty() && (t[0] == '+' || t[0] == '-'))
        d.negative = t[i++] == '-';
    const std::size_t int_begin = i;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9')
        ++i;
    std::size_t int_end = i, frac_begin = i, frac_end = i;
    if (i < t.size() && t[i] == '.') {
        frac_begin = ++i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9')
            ++i;
        frac_end = i;
    }
    if (i != t.size() || (int_end == int_begin && frac_end == frac_begin))
        return false;
    std::size_t a = int_begin;
    while (a < int_end && t[a] == '0')
        ++a;
    while (frac_end > frac_begin && t[frac_end - 1] == '0')
        --frac_end;
    d.integer = t.substr(a, int_end - a);
    d.fraction = t.substr(frac_begin, frac_end - frac_begin);
    if (d.integer.empty() && d.fraction.empty())
        d.negative = false;
    return true;
}

int compare_decimals(const decimal_parts& a, const decimal_parts& b) {
    if (a.negative != b.negative)
        return a.negative ? -1 : 1;
    int m;
    if (a.integer.size() != b.integer.size())
        m = a.integer.size() < b.integer.size() ? -1 : 1;
    else if (int c = a.integer.compare(b.integer))
        m = c < 0 ? -1 : 1;
    else if (int c = a.fraction.compare(b.fraction))
        m = c < 0 ? -1 : 1;
    else
        m = 0;
    return a.negative ? -m : m;
}

std::size_t characters(std::string_view utf8) {
    std::size_t n = 0;
    for (const char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++n;
    return n;
}

} // namespace

int compare_numbers(std::string_view a, std::string_view b) {
    decimal_parts da, db;
    if (split_decimal(a, da) && split_decimal(b, db))
        return compare_decimals(da, db);
    double x, y;
    if (parse_double(a, x) || parse_double(b, y) || x != x || y != y)
        return 2;
    return x < y ? -1 : (x > y ? 1 : 0);
}

int check_facets(std::string_view text, const facets& f) {
    const std::size_t n = characters(text);
    if ((f.length >= 0 && n > std::size_t(f.length)) ||
        (f.max_length >= 0 && n > std::size_t(f.max_length)))
        return err_length_too_long;
    if ((f.length >= 0 && n < std::size_t(f.length)) ||
        (f.min_length >= 0 && n < std::size_t(f.min_length)))
        return err_length_too_short;
    if (f.enumeration) {
        bool found = false;
        for (const char* const* e = f.enumeration; *e && !found; ++e)
            found = text == *e;
        if (!found)
            return err_not_in_enumeration;
    }
    if (f.pattern) {
        const QRegularExpression re(
            QRegularExpression::anchoredPattern(QString::fromUtf8(f.pattern)));
        if (!re.match(QString::fromUtf8(text.data(), qsizetype(text.size()))).hasMatch())
            return err_no_pattern_matched;
    }
    if (f.total_digits >= 0 || f.fraction_digits >= 0) {
        decimal_parts d;
        if (!split_decimal(text, d))
            return err_invalid_value;
        if (f.total_digits >= 0 &&
            d.integer.size() + d.fraction.size() > std::size_t(f.total_digits))
            return err_total_digits;
        if (f.fraction_digits >= 0 && d.fraction.size() > std::size_t(f.fraction_digits))
            return err_fraction_digits;
    }
    auto cmp = [&](const char* bound) {
        return compare_numbers(text, bound);
    };
    if (f.max_inclusive && cmp(f.max_inclusive) == 1)
        return err_above_maximum;
    if (f.max_exclusive && cmp(f.max_exclusive) >= 0 && cmp(f.max_exclusive) != 2)
        return err_above_maximum;
    if (f.min_inclusive && cmp(f.min_inclusive) == -1)
        return err_below_minimum;
    if (f.min_exclusive && cmp(f.min_exclusive) <= 0)
        return err_below_minimum;
    return 0;
}

} // namespace xmlb
