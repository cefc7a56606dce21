#pragma once

struct sqlite3;

// Report scripts turn every counter-table cell's sample time into local time, three times per
// cell, and the cells of one sample share their time: SQLite's date functions then compute the
// same text over and over. This replaces `datetime`, `date` and `strftime` on one connection
// with functions that remember their latest answers, compute the everyday shapes directly
// (DateFastPath) and ask SQLite's own functions (on a private in-memory connection) for
// anything else, so every answer is the one SQLite gives.
// Calls about the current time ('now', or no argument) are never remembered.
namespace DateFunctionMemo {
// Throws SqliteError when the private connection cannot be made.
void install(sqlite3* db);
} // namespace DateFunctionMemo
