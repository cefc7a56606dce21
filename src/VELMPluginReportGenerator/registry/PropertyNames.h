#pragma once

#include <QString>

// Names of device properties (ids 0-99, as the database numbers them) and of the counter
// columns (ids 100-118), indexed by id. Unnamed ids hold the empty text.
namespace reportRegistry {

inline constexpr int propertyNameCount = 119;
inline constexpr int firstCounterNameId = 100;

// Property ids that the report scripts write into their SQL.
namespace propertyId {
inline constexpr int status = 1;
inline constexpr int hostName = 3;
inline constexpr int ipAddress = 4;
inline constexpr int macAddress = 5;
inline constexpr int location = 7;
inline constexpr int modelName = 8;
inline constexpr int manufacturer = 9;
inline constexpr int serialNumber = 10;
inline constexpr int supplyTable = 22;
inline constexpr int totalPageCount = 28;
inline constexpr int alertTable = 30;
inline constexpr int errorState = 36;
inline constexpr int engineFirmware = 37;
inline constexpr int networkFirmware = 38;
inline constexpr int deviceCounterTable = 47;
} // namespace propertyId

// Position of the first entry equal to `name` (exact, case-sensitive); 0 when none matches.
int propertyIdFromName(const QString& name);
// Empty for unnamed or out-of-range ids.
QString propertyName(int id);

} // namespace reportRegistry
