#include "xmlbinding/datetime.h"

#include "xmlbinding/errors.h"

#include <cstdio>

namespace xmlb {

namespace {

// Y year, M month, D day, h hour, m minute, s second with fraction, Z optional time zone;
// any other character stands for itself.
constexpr const char* patterns[] = {
    "Y-M-DTh:m:sZ", // date_time
    "Y-M-DZ",       // date
    "h:m:sZ",       // time
    "Y-MZ",         // g_year_month
    "YZ",           // g_year
    "--M-DZ",       // g_month_day
    "---DZ",        // g_day
    "--MZ",         // g_month
};

bool digit(char c) {
    return c >= '0' && c <= '9';
}

bool read_digits(std::string_view text, std::size_t& i, std::size_t count, int& value) {
    if (i + count > text.size())
        return false;
    value = 0;
    for (std::size_t k = 0; k < count; ++k) {
        if (!digit(text[i + k]))
            return false;
        value = value * 10 + (text[i + k] - '0');
    }
    i += count;
    return true;
}

bool leap(int year) {
    // Years before 1 count from 1 BCE = -1 in XML Schema 1.0, which is leap like year 0.
    const int y = year < 0 ? year + 1 : year;
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int days_in_month(int year, int month, bool year_known) {
    static constexpr int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && year_known && !leap(year))
        return 28;
    return days[month - 1];
}

} // namespace

int parse_date_time(std::string_view text, dt_kind kind, date_time& out) {
    date_time v;
    const std::string_view pattern = patterns[int(kind)];
    std::size_t i = 0;
    bool has_year = false, has_day = false;
    for (const char p : pattern) {
        switch (p) {
        case 'Y': {
            const bool negative = i < text.size() && text[i] == '-';
            if (negative)
                ++i;
            std::size_t n = 0;
            while (i + n < text.size() && digit(text[i + n]))
                ++n;
            if (n < 4 || n > 9 || (n > 4 && text[i] == '0'))
                return err_invalid_value;
            read_digits(text, i, n, v.year);
            if (v.year == 0)
                return err_invalid_value;
            if (negative)
                v.year = -v.year;
            has_year = true;
            break;
        }
        case 'M':
            if (!read_digits(text, i, 2, v.month) || v.month < 1 || v.month > 12)
                return err_invalid_value;
            break;
        case 'D':
            if (!read_digits(text, i, 2, v.day) || v.day < 1)
                return err_invalid_value;
            has_day = true;
            break;
        case 'h':
            if (!read_digits(text, i, 2, v.hour) || v.hour > 24)
                return err_invalid_value;
            break;
        case 'm':
            if (!read_digits(text, i, 2, v.minute) || v.minute > 59)
                return err_invalid_value;
            break;
        case 's':
            if (!read_digits(text, i, 2, v.second) || v.second > 59)
                return err_invalid_value;
            if (i < text.size() && text[i] == '.') {
                ++i;
                std::size_t n = 0;
                for (; i < text.size() && digit(text[i]); ++i, ++n)
                    if (n < 9)
                        v.nanosecond = v.nanosecond * 10 + (text[i] - '0');
                if (n == 0)
                    return err_invalid_value;
                for (; n < 9; ++n)
                    v.nanosecond *= 10;
            }
            if (v.hour == 24 && (v.minute || v.second || v.nanosecond))
                return err_invalid_value;
            break;
        case 'Z':
            if (i == text.size())
                break;
            v.has_timezone = true;
            if (text[i] == 'Z') {
                ++i;
            } else if (text[i] == '+' || text[i] == '-') {
                const int sign = text[i++] == '-' ? -1 : 1;
                int hh, mm;
                if (!read_digits(text, i, 2, hh) || i >= text.size() || text[i++] != ':' ||
                    !read_digits(text, i, 2, mm) || mm > 59 || hh > 14 || (hh == 14 && mm))
                    return err_invalid_value;
                v.timezone_minutes = sign * (hh * 60 + mm);
            } else {
                return err_invalid_value;
            }
            break;
        default:
            if (i >= text.size() || text[i] != p)
                return err_invalid_value;
            ++i;
        }
    }
    if (i != text.size())
        return err_invalid_value;
    if (has_day && v.month && v.day > days_in_month(v.year, v.month, has_year))
        return err_invalid_value;
    if (has_day && !v.month && v.day > 31)
        return err_invalid_value;
    out = v;
    return 0;
}

std::string format_date_time(const date_time& v, dt_kind kind) {
    std::string out;
    char buf[32];
    for (const char p : std::string_view(patterns[int(kind)])) {
        switch (p) {
        case 'Y':
            std::snprintf(buf, sizeof buf, v.year < 0 ? "-%04d" : "%04d",
                          v.year < 0 ? -v.year : v.year);
            out += buf;
            break;
        case 'M':
        case 'D':
        case 'h':
        case 'm':
        case 's': {
            const int n = p == 'M'   ? v.month
                          : p == 'D' ? v.day
                          : p == 'h' ? v.hour
                          : p == 'm' ? v.minute
                                     : v.second;
            std::snprintf(buf, sizeof buf, "%02d", n);
            out += buf;
            if (p == 's' && v.nanosecond) {
                std::snprintf(buf, sizeof buf, ".%09d", v.nanosecond);
                std::string fraction(buf);
                while (fraction.back() == '0')
                    fraction.pop_back();
                out += fraction;
            }
            break;
        }
        case 'Z':
            if (!v.has_timezone)
                break;
            if (v.timezone_minutes == 0) {
                out += 'Z';
            } else {
                const int m = v.timezone_minutes < 0 ? -v.timezone_minutes : v.timezone_minutes;
                std::snprintf(buf, sizeof buf, "%c%02d:%02d", v.timezone_minutes < 0 ? '-' : '+',
                              m / 60, m % 60);
                out += buf;
            }
            break;
        default:
            out += p;
        }
    }
    return out;
}

int parse_duration(std::string_view text, duration& out) {
    duration v;
    std::size_t i = 0;
    if (i < text.size() && text[i] == '-') {
        v.negative = true;
        ++i;
    }
    if (i >= text.size() || text[i++] != 'P')
        return err_invalid_value;
    // Designators in order; each number may appear once, T separates date and time parts.
    static constexpr char order[] = {'Y', 'M', 'D', 'T', 'H', 'm', 'S'};
    long long* slots[] = {&v.years, &v.months, &v.days, nullptr, &v.hours, &v.minutes, &v.seconds};
    std::size_t next = 0;
    bool any = false, in_time = false, time_component = false;
    while (i < text.size()) {
        if (text[i] == 'T') {
            if (in_time || next > 3)
                return err_invalid_value;
            in_time = true;
            next = 4;
            ++i;
            continue;
        }
        long long n = 0;
        std::size_t digits = 0;
        for (; i < text.size() && digit(text[i]); ++i, ++digits)
            n = n > 100'000'000'000'000LL ? n : n * 10 + (text[i] - '0');
        int nanos = 0;
        bool fraction = false;
        if (i < text.size() && text[i] == '.') {
            fraction = true;
            ++i;
            std::size_t f = 0;
            for (; i < text.size() && digit(text[i]); ++i, ++f)
                if (f < 9)
                    nanos = nanos * 10 + (text[i] - '0');
            if (f == 0)
                return err_invalid_value;
            for (; f < 9; ++f)
                nanos *= 10;
        }
        if (digits == 0 || i >= text.size())
            return err_invalid_value;
        char designator = text[i++];
        if (designator == 'M' && in_time)
            designator = 'm';
        std::size_t k = next;
        while (k < sizeof order && order[k] != designator)
            ++k;
        if (k == sizeof order || k == 3 || (k >= 4) != in_time || (fraction && designator != 'S'))
            return err_invalid_value;
        *slots[k] = n;
        if (fraction)
            v.nanosecond = nanos;
        next = k + 1;
        any = true;
        time_component = time_component || in_time;
    }
    if (!any || (in_time && !time_component))
        return err_invalid_value;
    out = v;
    return 0;
}

std::string format_duration(const duration& v) {
    std::string out = v.negative ? "-P" : "P";
    auto part = [&](long long n, char d) {
        if (n) {
            out += std::to_string(n);
            out += d;
        }
    };
    part(v.years, 'Y');
    part(v.months, 'M');
    part(v.days, 'D');
    if (v.hours || v.minutes || v.seconds || v.nanosecond) {
        out += 'T';
        part(v.hours, 'H');
        part(v.minutes, 'M');
        if (v.seconds || v.nanosecond) {
            out += std::to_string(v.seconds);
            if (v.nanosecond) {
                char buf[16];
                std::snprintf(buf, sizeof buf, ".%09d", v.nanosecond);
                std::string fraction(buf);
                while (fraction.back() == '0')
                    fraction.pop_back();
                out += fraction;
            }
            out += 'S';
        }
    }
    if (out.size() <= 2)
        out += "T0S";
    return out;
}

} // namespace xmlb
