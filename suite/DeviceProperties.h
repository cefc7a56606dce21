#pragma once

#include <QString>
#include <span>

// Device property ids as the device database and the report SQL use them
// (DevicePropertyValues.R_PropertyID), and the column layout of the table properties.
namespace DeviceProperty {
enum Id : int {
    Status = 1,
    HostName = 3,
    IP = 4,
    MAC = 5,
    Contact = 6,
    Location = 7,
    ModelName = 8,
    Manufacturer = 9,
    Serial = 10,
    Color = 11,
    Duplex = 12,
    PPM = 13,
    PhysicalMemory = 14,
    SubnetMask = 18,
    Gateway = 19,
    SupplyInfos = 22,
    InputTrays = 23,
    CounterUnit = 27,
    CountMarker = 28,
    Alerts = 30,
    SysDescription = 32,
    PPMUnit = 34,
    SystemUptime = 35,
    ErrorState = 36,
    EngineVer = 37,
    NicVer = 38,
    CounterTable = 47,
};

// Simple properties keep their one value in this column, named "Value".
constexpr int ValueColumn = 0;

// Columns of the counter table zepHrDevCountTable.
namespace Counter {
enum Column : int { JobType = 2, MediaSize = 3, PrintMode = 5, ColorMode = 6, Value = 7 };
}
// Columns of the alert table.
namespace Alert {
enum Column : int { Code = 1, Description = 2, Severity = 3, Training = 4, Group = 5, Time = 6 };
}
// Columns of the supply table.
namespace Supply {
enum Column : int { Type = 1, Description = 2, Unit = 3, MaxCapacity = 4, Level = 5 };
}
// Columns of the input tray table.
namespace Tray {
enum Column : int { Name = 1, Media = 2, MaxCapacity = 3, Level = 4 };
}

struct Description {
    int id;
    const char* name;
    bool storeHistory;
};

struct ColumnDescription {
    int propertyId;
    int columnId;
    const char* name;
};

// Every property the database describes (DevicePropertyDescr) and every column
// (PropertyColumnDescr); simple properties have the single column "Value".
std::span<const Description> descriptions();
std::span<const ColumnDescription> tableColumns();
bool isTable(int propertyId);
} // namespace DeviceProperty
