#pragma once

#include <sqlite3.h>
#include <string>
#include <string_view>

// The shapes of SQLite's date functions that report scripts ask for once per history cell,
// answered without SQLite's general date parsing: a sample time as local time
// (`datetime(t, 'unixepoch', 'localtime')`, likewise `date`) and a part of such a text
// (`strftime('%Y', text)`, '%j', '%m', ...). Each answer is the text SQLite's own function
// gives; a call outside these shapes, or at a time where SQLite computes differently (before
// 1971, from 2038 on), is declined and left to SQLite.
namespace DateFastPath {
// Writes the answer to `text` and returns true, or returns false without an answer.
using Answer = bool (*)(int argc, sqlite3_value** argv, std::string& text);

// The fast path of the date function `name`; nullptr for a function without one.
Answer forFunction(std::string_view name);

// Whether the fast path of `name` costs less than looking up a remembered answer (it only
// reads its text arguments; the local time of an instant asks the C library).
bool cheaperThanRemembering(std::string_view name);
} // namespace DateFastPath
