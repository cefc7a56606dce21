#pragma once

#include <span>

// The fixed vocabulary of a generated fleet: models, sites, departments, people, alerts.
namespace FleetCatalog {
enum class DeviceClass { MonoPrinter, ColorPrinter, ColorMfp, A3ColorMfp };

struct Model {
    const char* name;
    const char* manufacturer;
    DeviceClass kind;
    int ppm;
    int memoryMb;
    const char* engineFamily; // engine firmware versions start with it
    double jobsPerHour;       // mean jobs in a working hour
};

struct Site {
    const char* name;     // also the name of the site's device group
    const char* location; // prefix of the devices' Location
    const char* tag;      // short name used in host names
    int subnet;           // second octet of the site's 10.x.y.z addresses
};

struct AlertType {
    const char* code;
    const char* description;
    const char* severity;
    const char* training;
    const char* group;
    double weight; // relative frequency among spontaneous alerts
    int minHours;  // how long it stays active
    int maxHours;
};

struct SupplyType {
    const char* type;
    const char* description;
    int pagesPerUnit; // pages printed per percent of capacity
    bool colorOnly;
};

std::span<const Model> models();
std::span<const Site> sites();
std::span<const char* const> departments();
std::span<const char* const> firstNames();
std::span<const char* const> lastNames();
std::span<const AlertType> spontaneousAlerts();
std::span<const SupplyType> supplies();
const AlertType& tonerLowAlert();
const AlertType& tonerEmptyAlert();
// A group that never holds a device (reports on it answer "no device").
const char* emptyGroupName();

bool isColor(DeviceClass kind);
bool isMfp(DeviceClass kind);
bool hasLargeMedia(DeviceClass kind);
} // namespace FleetCatalog
