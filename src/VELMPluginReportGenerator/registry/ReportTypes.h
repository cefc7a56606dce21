#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The fixed table of report types. A type's number is its keyword's position in the table and
// selects everything type-specific: counters, labels, chart title, body builder, stylesheet.
namespace reportRegistry {

enum ReportTypeNumber : int {
    RT_USAGE_COLOR_MONO = 0,
    RT_USAGE_SIMPLEX_DUPLEX,
    RT_USAGE_PAPER_SIZE,
    RT_USAGE_COPY_SCAN_SEND_FAX,
    RT_USAGE_TOTAL_PAGES,
    RT_USAGE_CUSTOM,
    RT_DEVICE_INFO_SUMMARY,
    RT_DEVICE_DISCOVERY_HISTORY,
    RT_DEVICE_FW_UPGRADE,
    RT_CONSUMABLE_INFO,
    RT_ALERT_HISTORY,
    RT_ALERT_TREND,
    RT_ALERT_TRAP_HISTORY,
    RT_DEVICE_LIST,
    RT_DEVICE_FIRMWARE_INFO,
    RT_JAC_USER_BASIC,
    RT_JAC_DEVICE_BASIC,
    RT_JAC_DEVICE_PRINT_DETAILS,
    RT_JAC_USER_PRINT_DETAILS,
    RT_JAC_USER_COPY_DETAILS,
    RT_JAC_DEVICE_COPY_DETAILS,
    RT_JAC_USER_FAX_DETAILS,
    RT_JAC_DEVICE_FAX_DETAILS,
    RT_JAC_USER_SCAN_DETAILS,
    RT_JAC_DEVICE_SCAN_DETAILS,
    RT_CONSUMABLE_TONER,
    RT_USAGE_CURRENT_TOTAL_PAGES,
};

inline constexpr int reportTypeCount = 27;

bool isReportType(int type);

// Exact, case-sensitive match of the keyword; nothing when no row has that name.
std::optional<int> reportTypeFromName(const QString& name);
QString reportTypeName(int type);

// The ";"-separated lists of the type's row, empty pieces dropped; empty for unknown numbers.
QStringList reportTypeCounters(int type);
QStringList reportTypeLabels(int type);
// Used only as the chart title.
QString reportTypeTitle(int type);

// How the body of a report of this type is built.
enum class ReportBodyKind {
    None,                    // the body stays empty
    CounterReport,           // counter table by period, per device and summary placements
    DevicePropertyReport,    // one element per device with table properties
    AllRows,                 // one row report of all rows together
    DeviceListThenPerDevice, // the device list, then one row report per device
    JobAccounting,           // computed by the job accounting plug-in
};
ReportBodyKind reportBodyKind(int type);

// Value axis title of a counter report's chart; empty for the other kinds.
QString valueAxisTitle(int type);

// Base name of the export stylesheet; job accounting types switch to their group variant when
// the report groups by user group. Empty when the type has no export.
QString stylesheetBaseName(int type, const QString& groupBy);

} // namespace reportRegistry
