#include "VELMPluginReportGenerator/queries/DeviceSelection.h"

#include "VELMPluginReportGenerator/queries/SqlTemplate.h"

#include <array>

namespace {

// Indexed by selection kind; the doubled blanks are part of the texts.
constexpr std::array<const char*, 3> selectionTemplates{
    "SELECT DISTINCT R_DeviceID  AS R_DevID FROM DeviceInGroup WHERE R_GroupID IN (%1);",
    "SELECT DeviceID AS R_DevID FROM Devices WHERE DeviceID IN (%1);",
    "SELECT DISTINCT DeviceID  AS R_DevID FROM Devices;",
};

} // namespace

QString deviceSelectionSql(SelectionKind kind, const QString& selectionIds) {
    const auto index = static_cast<std::size_t>(kind);
    const QString text = QString::fromLatin1(selectionTemplates.at(index));
    if (kind == SelectionKind::AllDevices)
        return text;
    return fillBareMarker(text, selectionIds);
}
