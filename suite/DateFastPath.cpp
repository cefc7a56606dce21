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

void appendDate(std::string& text, const std::tm& local) {
    appendDigits(text, local.tm_year + 1900, 4);
    text.push_back('-');
    appendDigits(text, local.tm_mon + 1, 2);
    text.push_back('-');
    appendDigits(text, local.tm_mday, 2);
}

bool dateAnswer(int argc, sqlite3_value** argv, std::string& text) {
    std::tm local{};
    if (!localTimeOf(argc, argv, local))
        return false;
    text.clear();
    appendDate(text, local);
    return true;
}

bool datetimeAnswer(int argc, sqlite3_value** argv, std::string& text) {
    std::tm local{};
    if (!localTimeOf(argc, argv, local))
        return false;
    text.clear();
    appendDate(text, local);
    text.push_back(' ');
    appendDigits(text, local.tm_hour, 2);
    text.push_back(':');
    appendDigits(text, local.tm_min, 2);
    text.push_back(':');
    appendDigits(text, local.tm_sec, 2);
    return true;
}

// "YYYY-MM-DD HH:MM:SS" naming a real moment: a day past its month's end or hour 24, which
// SQLite reads by carrying over, is not taken.
struct Moment {
    int year, month, day, hour, minute, second;
};

bool readDigits(std::string_view text, std::size_t at, std::size_t count, int& value) {
    value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

bool readMoment(std::string_view text, Moment& m) {
    return text.size() == 19 && text[4] == '-' && text[7] == '-' && text[10] == ' ' &&
           text[13] == ':' && text[16] == ':' && readDigits(text, 0, 4, m.year) &&
           readDigits(text, 5, 2, m.month) && readDigits(text, 8, 2, m.day) &&
           readDigits(text, 11, 2, m.hour) && readDigits(text, 14, 2, m.minute) &&
           readDigits(text, 17, 2, m.second) && m.year >= 1 && m.month >= 1 && m.month <= 12 &&
           m.day >= 1 && m.day <= daysInMonth(m.year, m.month) && m.hour <= 23 && m.minute <= 59 &&
           m.second <= 59;
}

// strftime(format, "YYYY-MM-DD HH:MM:SS") for formats of %Y %m %d %H %M %S %j and plain
// characters.
bool strftimeAnswer(int argc, sqlite3_value** argv, std::string& text) {
    if (argc != 2)
        return false;
    const std::string_view format = textOf(argv[0]);
    Moment m{};
    if (format.empty() || !readMoment(textOf(argv[1]), m))
        return false;
    text.clear();
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            text.push_back(format[i]);
            continue;
        }
        if (++i == format.size())
            return false;
        switch (format[i]) {
        case 'Y':
            appendDigits(text, m.year, 4);
            break;
        case 'm':
            appendDigits(text, m.month, 2);
            break;
        case 'd':
            appendDigits(text, m.day, 2);
            break;
        case 'H':
            appendDigits(text, m.hour, 2);
            break;
        case 'M':
            appendDigits(text, m.minute, 2);
            break;
        case 'S':
            appendDigits(text, m.second, 2);
            break;
        case 'j':
            appendDigits(text, dayOfYear(m.year, m.month, m.day), 3);
            break;
        default:
            return false;
        }
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
