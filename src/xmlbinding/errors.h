#pragma once

namespace xmlb {

// Codes returned by every reader, writer and generated binding function; 0 is success.
enum error_code : int {
    err_none = 0,
    err_open_file = 1,
    err_all_cardinality = 2,
    err_attribute_read_twice = 3,
    err_attributes_in_anonymous = 4,
    err_badly_formed = 5,
    err_encoding_unsupported = 6,
    err_choice_option = 7,
    err_bad_comment = 8,
    err_bad_dtd = 9,
    err_bad_element_end = 10,
    err_bad_start_tag_end = 11,
    err_end_tag_syntax = 12,
    err_bad_xml_decl = 13,
    err_xml_version = 14,
    err_encoding_mismatch = 15,
    err_element_not_found = 16,
    err_external_entity = 17,
    err_fraction_digits = 18,
    err_length_too_long = 19,
    err_length_too_short = 20,
    err_mandatory_missing = 21,
    err_no_pattern_matched = 22,
    err_not_well_formed = 23,
    err_recursive_entity = 24,
    err_required_attribute = 25,
    err_max_occurs = 26,
    err_total_digits = 27,
    err_attribute_value = 28,
    err_element_value = 29,
    err_unknown_in_all = 30,
    err_unknown_in_complex_content = 31,
    err_unexpected_empty = 32,
    err_unexpected_entity = 33,
    err_premature_end = 34,
    err_invalid_value = 35,
    err_above_maximum = 36,
    err_below_minimum = 37,
    err_not_in_enumeration = 38,
    err_unexpected_attribute = 39,
    err_nilled_not_empty = 40,
    err_entity_not_found = 41,
};

inline constexpr int error_code_count = 42;

// The fixed message of a code ("No Error" for 0); an unknown code yields "Unknown error".
const char* error_message(int code);

} // namespace xmlb
