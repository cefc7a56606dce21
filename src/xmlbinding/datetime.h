#pragma once

#include <string>
#include <string_view>

namespace xmlb {

// The XML Schema date and time types; each is read and written by one lexical pattern.
enum class dt_kind : unsigned char {
    date_time,
    date,
    time,
    g_year_month,
    g_year,
    g_month_day,
    g_day,
    g_month
};

struct date_time {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;
    int nanosecond = 0;
    bool has_timezone = false;
    int timezone_minutes = 0; // offset from UTC
    bool operator==(const date_time&) const = default;
};

// One type per kind, so a generated field's C++ type says how it is read and written.
template <dt_kind K> struct date_time_of : date_time {};
using xs_dateTime = date_time_of<dt_kind::date_time>;
using xs_date = date_time_of<dt_kind::date>;
using xs_time = date_time_of<dt_kind::time>;
using xs_gYearMonth = date_time_of<dt_kind::g_year_month>;
using xs_gYear = date_time_of<dt_kind::g_year>;
using xs_gMonthDay = date_time_of<dt_kind::g_month_day>;
using xs_gDay = date_time_of<dt_kind::g_day>;
using xs_gMonth = date_time_of<dt_kind::g_month>;

// 0 or err_invalid_value.
int parse_date_time(std::string_view text, dt_kind kind, date_time& out);
std::string format_date_time(const date_time& value, dt_kind kind);

// xs:duration, PnYnMnDTnHnMnS.
struct duration {
    bool negative = false;
    long long years = 0, months = 0, days = 0, hours = 0, minutes = 0, seconds = 0;
    int nanosecond = 0;
    bool operator==(const duration&) const = default;
};

int parse_duration(std::string_view text, duration& out);
std::string format_duration(const duration& value);

} // namespace xmlb
