#include "DeviceProperties.h"

#include <algorithm>
#include <array>

namespace DeviceProperty {
namespace {
// Names follow the registry's property table; 47 is the device counter table.
constexpr std::array kDescriptions{
    Description{1, "Status", false},
    Description{3, "HostName", false},
    Description{4, "IP", false},
    Description{5, "MAC", false},
    Description{6, "Contact", false},
    Description{7, "Location", false},
    Description{8, "ModelName", false},
    Description{9, "Manufacturer", false},
    Description{10, "Serial", false},
    Description{11, "Color", false},
    Description{12, "Duplex", false},
    Description{13, "PPM", false},
    Description{14, "PhysicalMemory", false},
    Description{15, "ConsoleBuffers", false},
    Description{16, "ConsoleLocked", false},
    Description{17, "ConsoleLanguage", false},
    Description{18, "SubnetMask", false},
    Description{19, "Gateway", false},
    Description{21, "Diagnostics", false},
    Description{22, "SupplyInfos", false},
    Description{23, "InputTrays", false},
    Description{24, "OutputTrays", false},
    Description{25, "Channels", false},
    Description{26, "Interfaces", false},
    Description{27, "CounterUnit", false},
    Description{28, "CountMarker", false},
    Description{29, "CountMarkerPowerOn", false},
    Description{30, "Alerts", true},
    Description{31, "PrinterImageURL", false},
    Description{32, "SysDescription", false},
    Description{33, "DeviceDescription", false},
    Description{34, "PPMUnit", false},
    Description{35, "SystemUptime", false},
    Description{36, "ErrorState", false},
    Description{37, "EngineVer", false},
    Description{38, "NicVer", false},
    Description{47, "zepHrDevCountTable", true},
};

constexpr std::array kTableColumns{
    ColumnDescription{SupplyInfos, Supply::Type, "SupplyType"},
    ColumnDescription{SupplyInfos, Supply::Description, "Description"},
    ColumnDescription{SupplyInfos, Supply::Unit, "Unit"},
    ColumnDescription{SupplyInfos, Supply::MaxCapacity, "MaxCapacity"},
    ColumnDescription{SupplyInfos, Supply::Level, "Level"},
    ColumnDescription{InputTrays, Tray::Name, "Name"},
    ColumnDescription{InputTrays, Tray::Media, "MediaName"},
    ColumnDescription{InputTrays, Tray::MaxCapacity, "MaxCapacity"},
    ColumnDescription{InputTrays, Tray::Level, "CurrentLevel"},
    ColumnDescription{Alerts, Alert::Code, "AlertCode"},
    ColumnDescription{Alerts, Alert::Description, "Description"},
    ColumnDescription{Alerts, Alert::Severity, "SeverityLevel"},
    ColumnDescription{Alerts, Alert::Training, "TrainingLevel"},
    ColumnDescription{Alerts, Alert::Group, "AlertGroup"},
    ColumnDescription{Alerts, Alert::Time, "AlertTime"},
    ColumnDescription{CounterTable, Counter::JobType, "zepHrDevCountJobType"},
    ColumnDescription{CounterTable, Counter::MediaSize, "zepHrDevCountMediaSize"},
    ColumnDescription{CounterTable, Counter::PrintMode, "zepHrDevCountDuplex"},
    ColumnDescription{CounterTable, Counter::ColorMode, "zepHrDevCountColor"},
    ColumnDescription{CounterTable, Counter::Value, "zepHrDevCountValue"},
};
} // namespace

std::span<const Description> descriptions() {
    return kDescriptions;
}

std::span<const ColumnDescription> tableColumns() {
    return kTableColumns;
}

bool isTable(int propertyId) {
    return std::any_of(kTableColumns.begin(), kTableColumns.end(),
                       [&](const ColumnDescription& c) { return c.propertyId == propertyId; });
}
} // namespace DeviceProperty
