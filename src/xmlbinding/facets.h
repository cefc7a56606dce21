#pragma once

#include <string_view>

namespace xmlb {

// The restrictions of a generated simple type, checked on the value's text after whitespace
// handling. Unset members (-1, null) do not restrict. Lengths count characters.
struct facets {
    int length = -1;
    int min_length = -1;
    int max_length = -1;
    const char* pattern = nullptr;            // XML Schema regular expression, anchored
    const char* const* enumeration = nullptr; // ended by a null entry
    int total_digits = -1;
    int fraction_digits = -1;
    const char* min_inclusive = nullptr;
    const char* max_inclusive = nullptr;
    const char* min_exclusive = nullptr;
    const char* max_exclusive = nullptr;
};

// 0, or err_length_too_long/short, err_no_pattern_matched, err_not_in_enumeration,
// err_total_digits, err_fraction_digits, err_above_maximum, err_below_minimum.
int check_facets(std::string_view text, const facets& f);

// Compares two numbers in decimal or floating-point text: -1, 0, 1; 2 when either is no number.
int compare_numbers(std::string_view a, std::string_view b);

} // namespace xmlb
