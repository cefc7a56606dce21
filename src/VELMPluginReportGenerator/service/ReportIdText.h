#pragma once

#include <QString>
#include <optional>

// A report id as a request carries it: decimal, or no id at all (a text that is not a number
// names no report rather than report 0).
inline std::optional<int> reportIdFrom(const QString& text) {
    bool ok = false;
    const int id = text.toInt(&ok, 10);
    return ok ? std::optional<int>(id) : std::nullopt;
}
