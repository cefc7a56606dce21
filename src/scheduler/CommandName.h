#pragma once

#include <QString>

// The command name a stored request text is sent under: the text between the first
// `command="` and the next `">` (or the end). Empty when the text has no usable name,
// including when it starts with `command="` itself; such a text is never sent.
QString commandNameOf(const QString& commandText);
