#pragma once

#include <QStringList>
#include <QUrl>

// The expert form: velmctl --url URL COMMAND [FILE|-] [--raw]. Sends COMMAND with the body
// read from FILE (standard input for "-"; none: an empty request) and prints the answer as
// text, or with `raw` its head and bytes as received. The exit code (ExitCodes.h); throws what
// HttpClient throws.
namespace RawCommand {

int run(const QUrl& url, const QStringList& arguments, bool raw);

} // namespace RawCommand
