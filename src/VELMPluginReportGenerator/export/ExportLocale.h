#pragma once

#include <QString>

// The locale of an export names a directory of stylesheets, so it is taken only as a plain
// name: letters, optionally followed by '-' or '_' and a region of letters or digits ("en",
// "de", "pt_BR", "zh-Hans"). Anything else (a path, dots, spaces) opens no file at all.
namespace exportLocale {

inline const QString defaultLocale = QStringLiteral("en");

bool isPlainName(const QString& locale);
// The requested locale, or "en" when the request leaves it empty.
QString effective(const QString& requested);

} // namespace exportLocale
