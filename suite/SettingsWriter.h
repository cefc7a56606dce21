#pragma once

#include <QList>
#include <QString>

#include <optional>
#include <utility>

// Writes named settings (the mail settings device management answers, say) into the Settings
// table of a device database, so a user can point the suite at another mail server.
namespace SettingsWriter {

using Setting = std::pair<QString, QString>;

// "NAME=VALUE" split at the first '='; none when there is no '=' or the name is empty. The
// value may be empty and may hold further '='.
std::optional<Setting> parseAssignment(const QString& text);

// The mail settings device management answers, with the values a new database starts with.
const QList<Setting>& mailDefaults();

// Why `setting` would leave the mail unusable (a port, time-out or flag that is no number in
// range); none when it is fine. Names outside the mail settings are not judged.
std::optional<QString> refusal(const Setting& setting);

// Sets every setting, replacing a value already there, in one transaction. A missing database
// is created with the full schema first. Throws SqliteError.
void write(const QString& databasePath, const QList<Setting>& settings);

} // namespace SettingsWriter
