#include "VELMPluginReportGenerator/registry/PropertyNames.h"

#include <array>

namespace reportRegistry {
namespace {

// Entries are element and column names that readers of the report documents see as written.
constexpr std::array<const char*, propertyNameCount> propertyNames = [] {
    std::array<const char*, propertyNameCount> names{};
    names.fill("");
    names[1] = "Status";
    names[3] = "HostName";
    names[4] = "IP";
    names[5] = "MAC";
    names[6] = "Contact";
    names[7] = "Location";
    names[8] = "ModelName";
    names[9] = "Manufacturer";
    names[10] = "Serial";
    names[11] = "Color";
    names[12] = "Duplex";
    names[13] = "PPM";
    names[14] = "PhysicalMemory";
    names[15] = "ConsoleBuffers";
    names[16] = "ConsoleLocked";
    names[17] = "ConsoleLanguage";
    names[18] = "SubnetMask";
    names[19] = "Gateway";
    names[21] = "Diagnostics";
    names[22] = "SupplyInfos";
    names[23] = "InputTrays";
    names[24] = "OutputTrays";
    names[25] = "Channels";
    names[26] = "Interfaces";
    names[27] = "CounterUnit";
    names[28] = "CountMarker";
    names[29] = "CountMarkerPowerOn";
    names[30] = "Alerts";
    names[31] = "PrinterImageURL";
    names[32] = "SysDescription";
    names[33] = "DeviceDescription";
    names[34] = "PPMUnit";
    names[35] = "SystemUptime";
    names[36] = "ErrorState";
    names[37] = "EngineVer";
    names[38] = "NicVer";
    const std::array<const char*, propertyNameCount - firstCounterNameId> counters{
        "Color_Counter",    "Mono_Counter",        "Simplex_Counter",     "Duplex_Counter",
        "A3_Counter",       "A4_Counter",          "A5_Counter",          "Letter_Counter",
        "Exec_Counter",     "B5_Counter",          "Copy_Counter",        "Scan_Counter",
        "DigiSend_Counter", "IncomingFax_Counter", "OutgoingFax_Counter", "DigiReceive_Counter",
        "Small_Counter",    "Large_Counter",       "Print_Counter"};
    for (std::size_t i = 0; i < counters.size(); ++i)
        names[firstCounterNameId + i] = counters[i];
    return names;
}();

} // namespace

int propertyIdFromName(const QString& name) {
    for (int id = 0; id < propertyNameCount; ++id) {
        if (name == QLatin1String(propertyNames[static_cast<std::size_t>(id)]))
            return id;
    }
    return 0;
}

QString propertyName(int id) {
    if (id < 0 || id >= propertyNameCount)
        return {};
    return QString::fromLatin1(propertyNames[static_cast<std::size_t>(id)]);
}

} // namespace reportRegistry
