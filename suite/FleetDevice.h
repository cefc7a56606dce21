#pragma once

#include "FleetCatalog.h"

#include <QtGlobal>
#include <string>
#include <vector>

class FleetRandom;

// One row of a device's counter table: a combination of job type, media size, print mode and
// colour mode with its cumulative count.
struct CounterRow {
    const char* jobType;
    const char* mediaSize;
    const char* printMode;
    const char* colorMode;
    qint64 value = 0;
};

struct ActiveAlert {
    const FleetCatalog::AlertType* type;
    qint64 time;     // when it was raised
    qint64 clearAt;  // 0 while a supply keeps it (cleared on replacement)
    int supply = -1; // index of the supply that raised it
};

struct SupplyState {
    const FleetCatalog::SupplyType* type;
    qint64 used = 0;      // pages since the part was new
    qint64 replaceAt = 0; // planned replacement once it ran low
    int alertLevel = 0;   // 0 none, 1 low, 2 empty (toner only)

    int level() const; // percent left
};

struct FirmwareChange {
    qint64 time;
    bool engine;
    std::string oldVersion;
    std::string newVersion;
};

// The simulated state of one device while the generator walks through time.
struct FleetDevice {
    int id = 0;
    const FleetCatalog::Model* model = nullptr;
    const FleetCatalog::Site* site = nullptr;
    int siteIndex = 0;
    qint64 added = 0;
    qint64 retiredAt = 0; // 0: stays in service
    qint64 resetAt = 0;   // a forced counter reset (0: only random ones)
    int sampleOffset = 0; // seconds after the full hour at which it is polled
    double offlineChance = 0;
    bool discovered = false;
    bool neglected = false;    // nobody replaces its toner: it runs empty and stays so
    bool movesAddress = false; // takes a new address halfway through the history
    std::string hostName, ip, mac, serial, location, engineVersion, nicVersion;
    std::vector<int> users;
    std::vector<CounterRow> counters;
    std::vector<SupplyState> supplies;
    std::vector<ActiveAlert> alerts;
    std::vector<FirmwareChange> firmware;
    qint64 lastSample = 0;
    qint64 lastReset = 0;

    bool duplexCapable() const;
    bool activeAt(qint64 time) const { return time >= added && (!retiredAt || time < retiredAt); }
    // Builds the counter rows the model supports, in their fixed row order.
    void buildCounterRows();
    // Adds pages to the row of that combination (duplex jobs count sheets).
    void count(const char* jobType, const char* mediaSize, bool duplex, bool color, int pages);
    // Uses supplies for printed pages; raises and schedules toner alerts. True if alerts changed.
    bool consume(int pages, bool color, qint64 now, FleetRandom& random);
    // Replaces worn parts that are due and clears expired alerts. True if alerts changed.
    bool maintain(qint64 now);
    // Total impressions: simplex plus twice duplex over the printing job types.
    qint64 totalImpressions() const;
    const char* errorState() const;
    const char* status() const;
};
