#include "FleetCatalog.h"

#include <array>

namespace FleetCatalog {
namespace {
using K = DeviceClass;

constexpr std::array kModels{
    Model{"Quillex M320", "Kestrane", K::MonoPrinter, 32, 256, "M3", 1.6},
    Model{"Quillex M450dn", "Kestrane", K::MonoPrinter, 45, 512, "M4", 2.4},
    Model{"Orvane LaserJet 2100", "Orvane", K::MonoPrinter, 28, 256, "OL21", 1.2},
    Model{"Quillex C360", "Kestrane", K::ColorPrinter, 36, 1024, "C3", 1.8},
    Model{"Orvane ColorPro 500", "Orvane", K::ColorPrinter, 40, 1024, "OC5", 2.0},
    Model{"Quillex MFX 4200", "Kestrane", K::ColorMfp, 42, 2048, "X4", 3.0},
    Model{"Lumatec Office 3300", "Lumatec", K::ColorMfp, 33, 1024, "LO33", 2.2},
    Model{"Quillex MFX 7500", "Kestrane", K::A3ColorMfp, 75, 4096, "X7", 4.5},
    Model{"Lumatec Studio 6000", "Lumatec", K::A3ColorMfp, 60, 4096, "LS60", 3.5},
};

constexpr std::array kSites{
    Site{"Headquarters", "Berlin HQ", "hq", 10},       Site{"Munich Office", "Munich", "muc", 20},
    Site{"Hamburg Branch", "Hamburg", "ham", 30},      Site{"Vienna Branch", "Vienna", "vie", 40},
    Site{"Warehouse", "Leipzig Warehouse", "lej", 50},
};

constexpr std::array<const char*, 6> kDepartments{"Sales & Marketing", "Engineering", "Finance",
                                                  "Human Resources",   "Operations",  "Legal"};

constexpr std::array<const char*, 24> kFirstNames{
    "Anna",  "Ben",   "Clara",  "David", "Emma",   "Felix", "Greta", "Hannah",
    "Jonas", "Karl",  "Lena",   "Maria", "Noah",   "Olga",  "Paul",  "Rita",
    "Sven",  "Tanja", "Ulrich", "Vera",  "Walter", "Xenia", "Yusuf", "Zoe"};

constexpr std::array<const char*, 20> kLastNames{
    "Schmidt", "Meyer", "Weber",  "Wagner", "Becker", "Hoffmann", "Koch",
    "Richter", "Klein", "Wolf",   "Braun",  "Keller", "Lange",    "Vogel",
    "Fuchs",   "Roth",  "Berger", "Jung",   "Hahn",   "O'Neill"};

constexpr std::array kSpontaneousAlerts{
    AlertType{"jam", "Paper jam in the paper path", "critical", "untrained", "mediaPath", 10, 1, 2},
    AlertType{"coverOpen", "Front cover open", "critical", "untrained", "cover", 4, 1, 1},
    AlertType{"doorOpen", "Side door open", "critical", "untrained", "cover", 2, 1, 1},
    AlertType{"inputMediaSupplyLow", "Tray 1 paper low", "warning", "untrained", "input", 6, 2, 8},
    AlertType{"inputMediaSupplyEmpty", "Tray 1 empty", "critical", "untrained", "input", 4, 1, 4},
    AlertType{"inputMediaTrayMissing", "Tray 2 missing", "critical", "untrained", "input", 1, 1, 3},
    AlertType{"markerWasteTonerReceptacleAlmostFull", "Waste toner container almost full",
              "warning", "trained", "markerSupplies", 1, 12, 72},
    AlertType{"subunitRecoverableFailure", "Fuser error, restart the device", "critical",
              "fieldService", "marker", 0.6, 2, 24},
    AlertType{"subunitMotorFailure", "Drum motor failure", "critical", "fieldService", "marker",
              0.3, 8, 48},
    AlertType{"subunitOverTemperature", "Engine over temperature", "warning", "management",
              "generalPrinter", 0.5, 1, 3},
};

constexpr AlertType kTonerLow{"markerTonerAlmostEmpty",
                              "Toner almost empty",
                              "warning",
                              "trained",
                              "markerSupplies",
                              0,
                              0,
                              0};
constexpr AlertType kTonerEmpty{
    "markerTonerEmpty", "Toner empty", "critical", "trained", "markerSupplies", 0, 0, 0};

constexpr std::array kSupplies{
    SupplyType{"toner", "Black Toner Cartridge", 90, false},
    SupplyType{"toner", "Cyan Toner Cartridge", 60, true},
    SupplyType{"toner", "Magenta Toner Cartridge", 60, true},
    SupplyType{"toner", "Yellow Toner Cartridge", 60, true},
    SupplyType{"opc", "Drum Unit", 600, false},
    SupplyType{"fuser", "Fuser Unit", 1500, false},
};
} // namespace

std::span<const Model> models() {
    return kModels;
}
std::span<const Site> sites() {
    return kSites;
}
std::span<const char* const> departments() {
    return kDepartments;
}
std::span<const char* const> firstNames() {
    return kFirstNames;
}
std::span<const char* const> lastNames() {
    return kLastNames;
}
std::span<const AlertType> spontaneousAlerts() {
    return kSpontaneousAlerts;
}
std::span<const SupplyType> supplies() {
    return kSupplies;
}
const AlertType& tonerLowAlert() {
    return kTonerLow;
}
const AlertType& tonerEmptyAlert() {
    return kTonerEmpty;
}
const char* emptyGroupName() {
    return "Spare Pool";
}

bool isColor(DeviceClass kind) {
    return kind != DeviceClass::MonoPrinter;
}
bool isMfp(DeviceClass kind) {
    return kind == DeviceClass::ColorMfp || kind == DeviceClass::A3ColorMfp;
}
bool hasLargeMedia(DeviceClass kind) {
    return kind == DeviceClass::A3ColorMfp;
}
} // namespace FleetCatalog
