#pragma once

#include <QString>
#include <QtGlobal>

// Fills a new database file with a deterministic, realistic printer fleet: the same options
// give the same data.
struct FleetOptions {
    int devices = 200;
    int days = 90;
    quint64 seed = 1;
    // End of the generated range, seconds since 1970 (UTC); aligned down to the full hour.
    qint64 end = 0;
};

struct FleetStats {
    int devices = 0;
    int users = 0;
    int discoveries = 0;
    int upgrades = 0;
    int resets = 0;
    int alerts = 0;
    qint64 counterSamples = 0;
    qint64 historyCells = 0;
    qint64 jobs = 0;
};

// The default end: the start of the current UTC day, so runs on one day agree.
qint64 defaultFleetEnd();

// Creates `path` with the full schema and the fleet. Refuses a file that already exists.
// Throws SqliteError or std::invalid_argument.
FleetStats generateFleet(const QString& path, const FleetOptions& options);
