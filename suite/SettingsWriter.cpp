#include "suite/SettingsWriter.h"

#include "suite/FleetSchema.h"
#include "suite/Sqlite.h"

#include <sqlite3.h>

namespace SettingsWriter {

namespace {
constexpr int kBusyTimeoutMs = 15000;
} // namespace

const QList<Setting>& mailDefaults() {
    static const QList<Setting> defaults = {
        {QStringLiteral("SMTPServerName"), QStringLiteral("localhost")},
        {QStringLiteral("SMTPServerPort"), QStringLiteral("25")},
        {QStringLiteral("SMTPRequiresAuthentication"), QStringLiteral("0")},
        {QStringLiteral("SMTPServerLogin"), QString()},
        {QStringLiteral("SMTPServerPassword"), QString()},
        {QStringLiteral("SMTPServerConnectionTimeout"), QStringLiteral("60")},
        {QStringLiteral("ReplyAddress"), QStringLiteral("reports@localhost")},
    };
    return defaults;
}

std::optional<QString> refusal(const Setting& setting) {
    const auto& [name, value] = setting;
    const auto within = [&](int lowest, int highest) -> std::optional<QString> {
        bool ok = false;
        const int number = value.toInt(&ok);
        if (ok && number >= lowest && number <= highest)
            return std::nullopt;
        return QStringLiteral("%1 takes a whole number from %2 to %3, not \"%4\"")
            .arg(name)
            .arg(lowest)
            .arg(highest)
            .arg(value);
    };
    if (name == QLatin1String("SMTPServerPort"))
        return within(1, 65535);
    if (name == QLatin1String("SMTPServerConnectionTimeout"))
        return within(1, 3600);
    if (name == QLatin1String("SMTPRequiresAuthentication"))
        return within(0, 1);
    return std::nullopt;
}

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
