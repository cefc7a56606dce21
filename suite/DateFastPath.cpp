#include "DateFastPath.h"

#include <ctime>

namespace DateFastPath {
namespace {

// SQLite takes the local time of an instant from localtime_r only for instants of the years
// 1971 to 2037 (UTC); outside them it uses another year's offset.
constexpr sqlite3_int64 firstLocalInstant = 31536000;    // 1971-01-01 00:00:00 UTC
constexpr sqlite3_int64 endOfLocalInstants = 2145916800; // 2038-01-01 00:00:00 UTC

std::string_view textOf(sqlite3_value* value) {
    if (sqlite3_value_type(value) != SQLITE_TEXT)
        return {};
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return text ? std::string_view(text, std::size_t(sqlite3_value_bytes(value)))
                : std::string_view();
}

void appendDigits(std::string& text, int value, int width) {
    char digits[8];
    for (int i = width - 1; i >= 0; --i, value /= 10)
        digits[i] = char('0' + value % 10);
    text.append(digits, std::size_t(width));
}

bool isLeapYear(int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int daysInMonth(int year, int month) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

int dayOfYear(int year, int month, int day) {
    static constexpr int before[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    return before[month - 1] + day + (month > 2 && isLeapYear(year) ? 1 : 0);
}

// The parts of "YYYY-MM-DD HH:MM:SS" in order, each with its strftime letter, where it stands
// and how many digits it has.
enum Part { Year, Month, Day, Hour, Minute, Second, PartCount };
constexpr std::string_view partLetters = "YmdHMS";
constexpr std::size_t partAt[PartCount] = {0, 5, 8, 11, 14, 17};
constexpr int partDigits[PartCount] = {4, 2, 2, 2, 2, 2};
constexpr std::string_view momentShape = "0000-00-00 00:00:00";

// The local time of (t, 'unixepoch', 'localtime') as SQLite computes it; false where SQLite
// would compute it otherwise or the C library cannot.
bool localTimeOf(int argc, sqlite3_value** argv, std::tm& local) {
    if (argc != 3 || sqlite3_value_type(argv[0]) != SQLITE_INTEGER ||
        textOf(argv[1]) != "unixepoch" || textOf(argv[2]) != "localtime")
        return false;
    const sqlite3_int64 instant = sqlite3_value_int64(argv[0]);
    if (instant < firstLocalInstant || instant >= endOfLocalInstants)
        return false;
    const auto t = std::time_t(instant);
    // A leap second (second 60) SQLite carries into the next minute: its text, not this one.
    return localtime_r(&t, &local) && local.tm_sec <= 59;
}

// The local date, and with `withTime` its time of day, of (t, 'unixepoch', 'localtime'), in
// the shape of a moment's text.
bool localAnswer(int argc, sqlite3_value** argv, std::string& text, bool withTime) {
    std::tm local{};
    if (!localTimeOf(argc, argv, local))
        return false;
    const int parts[PartCount] = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                  local.tm_hour,        local.tm_min,     local.tm_sec};
    text.clear();
    for (int part = Year; part <= (withTime ? Second : Day); ++part) {
        if (part != Year)
            text.push_back(momentShape[partAt[part] - 1]); // the separator before it
        appendDigits(text, parts[part], partDigits[part]);
    }
    return true;
}

bool dateAnswer(int argc, sqlite3_value** argv, std::string& text) {
    return localAnswer(argc, argv, text, false);
}

bool datetimeAnswer(int argc, sqlite3_value** argv, std::string& text) {
    return localAnswer(argc, argv, text, true);
}

// The parts of a text naming a real moment: a day past its month's end or hour 24, which
// SQLite reads by carrying over, is not taken.
bool readMoment(std::string_view text, int (&parts)[PartCount]) {
    if (text.size() != momentShape.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (momentShape[i] == '0' ? !digit : text[i] != momentShape[i])
            return false;
    }
    for (int part = Year; part < PartCount; ++part) {
        parts[part] = 0;
        for (int i = 0; i < partDigits[part]; ++i)
            parts[part] = parts[part] * 10 + (text[partAt[part] + std::size_t(i)] - '0');
    }
    return parts[Year] >= 1 && parts[Month] >= 1 && parts[Month] <= 12 && parts[Day] >= 1 &&
           parts[Day] <= daysInMonth(parts[Year], parts[Month]) && parts[Hour] <= 23 &&
           parts[Minute] <= 59 && parts[Second] <= 59;
}

// strftime(format, "YYYY-MM-DD HH:MM:SS") for formats of %Y %m %d %H %M %S %j and plain
// characters.
bool strftimeAnswer(int argc, sqlite3_value** argv, std::string& text) {
    if (argc != 2)
        return false;
    const std::string_view format = textOf(argv[0]);
    int parts[PartCount];
    if (format.empty() || !readMoment(textOf(argv[1]), parts))
        return false;
    text.clear();
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            text.push_back(format[i]);
            continue;
        }
        if (++i == format.size())
            return false;
        if (format[i] == 'j') {
            appendDigits(text, dayOfYear(parts[Year], parts[Month], parts[Day]), 3);
            continue;
        }
        const std::size_t part = partLetters.find(format[i]);
        if (part == std::string_view::npos)
            return false;
        appendDigits(text, parts[part], partDigits[part]);
    }
    return true;
}

} // namespace

Answer forFunction(std::string_view name) {
    if (name == "datetime")
        return datetimeAnswer;
    if (name == "date")
        return dateAnswer;
    if (name == "strftime")
        return strftimeAnswer;
    return nullptr;
}

bool cheaperThanRemembering(std::string_view name) {
    return name == "strftime";
}

} // namespace DateFastPath
