#include "suite/SettingsWriter.h"

#include "suite/FleetSchema.h"
#include "suite/Sqlite.h"

#include <sqlite3.h>

namespace SettingsWriter {

namespace {
constexpr int kBusyTimeoutMs = 15000;
} // namespace

std::optional<Setting> parseAssignment(const QString& text) {
    const qsizetype equals = text.indexOf(QLatin1Char('='));
    if (equals <= 0)
        return std::nullopt;
    return Setting{text.left(equals), text.mid(equals + 1)};
}

void write(const QString& databasePath, const QList<Setting>& settings) {
    SqliteConnection db(databasePath);
    // A running suite may hold the file for a moment.
    sqlite3_busy_timeout(db.handle(), kBusyTimeoutMs);
    if (!FleetSchema::exists(db))
        FleetSchema::create(db);
    db.exec(QStringLiteral("BEGIN IMMEDIATE"));
    try {
        SqliteStatement upsert(db, QStringLiteral("INSERT OR REPLACE INTO Settings (Name, Value) "
                                                  "VALUES (?, ?)"));
        for (const auto& [name, value] : settings)
            upsert.bind(1, name).bind(2, value).run();
        db.exec(QStringLiteral("COMMIT"));
    } catch (...) {
        db.exec(QStringLiteral("ROLLBACK"));
        throw;
    }
}

} // namespace SettingsWriter
