#include "VELMPluginReportGenerator/registry/ReportTypes.h"

#include <array>

namespace reportRegistry {
namespace {

struct ReportTypeRow {
    const char* name;
    const char* counters;
    const char* labels;
    const char* title;
};

constexpr const char* totalPagesCounters =
    "Small_Simplex_Mono;Small_Simplex_Color;Small_Duplex_Mono;Small_Duplex_Color;"
    "Large_Simplex_Mono;Large_Simplex_Color;Large_Duplex_Mono;Large_Duplex_Color";

// Names, counter columns, label placeholders and titles are seen by callers, stylesheets and
// chart readers exactly as written here (typos included).
constexpr std::array<ReportTypeRow, reportTypeCount> reportTypeRows{{
    {"RT_USAGE_COLOR_MONO", "Color_Counter;Mono_Counter", "#I18N_COLOR#;#I18N_MONO#",
     "Usage Count (Color/Mono By Period)"},
    {"RT_USAGE_SIMPLEX_DUPLEX", "Simplex_Counter;Duplex_Counter", "#I18N_SIMPLEX#;#I18N_DUPLEX#",
     "Usage Count (Simplex/Duplex By Period)"},
    {"RT_USAGE_PAPER_SIZE", "Small_Counter;Large_Counter", "#I18N_SMALL#;#I18N_LARGE#",
     "Usage Count (Paper Size By Period)"},
    {"RT_USAGE_COPY_SCAN_SEND_FAX",
     "Print_Counter;Copy_Counter;Scan_Counter;IncomingFax_Counter;Report_Counter",
     "#I18N_PRINT#;#I18N_COPY#;#I18N_SCAN#;#I18N_INCOMING_FAX#;#I18N_REPORT#",
     "Usage Count (Print/Copy/Fax/Scan By Period)"},
    {"RT_USAGE_TOTAL_PAGES", totalPagesCounters, totalPagesCounters,
     "Usage Count (Usage Count By Period)"},
    {"RT_USAGE_CUSTOM", "", "", "Usage Analysis (Customize)"},
    {"RT_DEVICE_INFO_SUMMARY", "", "", "Device Management (Device info summary)"},
    {"RT_DEVICE_DISCOVERY_HISTORY", "", "", "Device Management (Discovered device inventory)"},
    {"RT_DEVICE_FW_UPGRADE", "", "", "Device Management (Firmware upgrade)"},
    {"RT_CONSUMABLE_INFO", "", "", "Consumables (Cosumable List)"},
    {"RT_ALERT_HISTORY", "", "", "Alert (Alert history)"},
    {"RT_ALERT_TREND", "Jam;SupplyAlert;DeviceAlert;ServiceAlert",
     "#I18N_JAM#;#I18N_SUPPLY_ALERT#;#I18N_DEVICE_ALERT#;#I18N_SERVICE_ALERT#",
     "Alert (Alert history trend)"},
    {"RT_ALERT_TRAP_HISTORY", "", "", "Alert (Trap history)"},
    {"RT_DEVICE_LIST", "", "", ""},
    {"RT_DEVICE_FIRMWARE_INFO", "", "", ""},
    {"RT_JAC_USER_BASIC", "", "", ""},
    {"RT_JAC_DEVICE_BASIC", "", "", ""},
    {"RT_JAC_DEVICE_PRINT_DETAILS", "", "", ""},
    {"RT_JAC_USER_PRINT_DETAILS", "", "", ""},
    {"RT_JAC_USER_COPY_DETAILS", "", "", ""},
    {"RT_JAC_DEVICE_COPY_DETAILS", "", "", ""},
    {"RT_JAC_USER_FAX_DETAILS", "", "", ""},
    {"RT_JAC_DEVICE_FAX_DETAILS", "", "", ""},
    {"RT_JAC_USER_SCAN_DETAILS", "", "", ""},
    {"RT_JAC_DEVICE_SCAN_DETAILS", "", "", ""},
    {"RT_CONSUMABLE_TONER", "", "", "Consumables (Cosumable Toner)"},
    {"RT_USAGE_CURRENT_TOTAL_PAGES", "", "", "Usage Count (Total Pages : Device Counter)"},
}};

const ReportTypeRow* rowOf(int type) {
    return isReportType(type) ? &reportTypeRows[static_cast<std::size_t>(type)] : nullptr;
}

QStringList splitList(const char* list) {
    return QString::fromLatin1(list).split(QLatin1Char(';'), Qt::SkipEmptyParts);
}

bool isUserJobAccounting(int type) {
    switch (type) {
    case RT_JAC_USER_BASIC:
    case RT_JAC_USER_PRINT_DETAILS:
    case RT_JAC_USER_COPY_DETAILS:
    case RT_JAC_USER_FAX_DETAILS:
    case RT_JAC_USER_SCAN_DETAILS:
        return true;
    default:
        return false;
    }
}

} // namespace

bool isReportType(int type) {
    return type >= 0 && type < reportTypeCount;
}

std::optional<int> reportTypeFromName(const QString& name) {
    for (int type = 0; type < reportTypeCount; ++type) {
        if (name == QLatin1String(reportTypeRows[static_cast<std::size_t>(type)].name))
            return type;
    }
    return std::nullopt;
}

QString reportTypeName(int type) {
    const auto* row = rowOf(type);
    return row ? QString::fromLatin1(row->name) : QString();
}

QStringList reportTypeCounters(int type) {
    const auto* row = rowOf(type);
    return row ? splitList(row->counters) : QStringList();
}

QStringList reportTypeLabels(int type) {
    const auto* row = rowOf(type);
    return row ? splitList(row->labels) : QStringList();
}

QString reportTypeTitle(int type) {
    const auto* row = rowOf(type);
    return row ? QString::fromLatin1(row->title) : QString();
}

ReportBodyKind reportBodyKind(int type) {
    switch (type) {
    case RT_USAGE_COLOR_MONO:
    case RT_USAGE_SIMPLEX_DUPLEX:
    case RT_USAGE_PAPER_SIZE:
    case RT_USAGE_COPY_SCAN_SEND_FAX:
    case RT_USAGE_TOTAL_PAGES:
    case RT_ALERT_TREND:
        return ReportBodyKind::CounterReport;
    case RT_DEVICE_INFO_SUMMARY:
        return ReportBodyKind::DevicePropertyReport;
    case RT_DEVICE_DISCOVERY_HISTORY:
    case RT_DEVICE_LIST:
    case RT_CONSUMABLE_TONER:
    case RT_USAGE_CURRENT_TOTAL_PAGES:
        return ReportBodyKind::AllRows;
    case RT_DEVICE_FW_UPGRADE:
    case RT_CONSUMABLE_INFO:
    case RT_ALERT_HISTORY:
    case RT_ALERT_TRAP_HISTORY:
        return ReportBodyKind::DeviceListThenPerDevice;
    default:
        return type >= RT_JAC_USER_BASIC && type <= RT_JAC_DEVICE_SCAN_DETAILS
                   ? ReportBodyKind::JobAccounting
                   : ReportBodyKind::None;
    }
}

QString valueAxisTitle(int type) {
    // Shown on charts as written.
    if (reportBodyKind(type) != ReportBodyKind::CounterReport)
        return {};
    return type == RT_ALERT_TREND ? QStringLiteral("Alert Count") : QStringLiteral("Page Count");
}

QString stylesheetBaseName(int type, const QString& groupBy) {
    // Stylesheet file names as installed; kept exactly.
    switch (type) {
    case RT_USAGE_COLOR_MONO:
    case RT_USAGE_SIMPLEX_DUPLEX:
    case RT_USAGE_PAPER_SIZE:
    case RT_USAGE_COPY_SCAN_SEND_FAX:
        return QStringLiteral("ReportResult_type1_UA");
    case RT_USAGE_TOTAL_PAGES:
        return QStringLiteral("ReportResult_type1_UA_Detail");
    case RT_DEVICE_INFO_SUMMARY:
        return QStringLiteral("RT_DEVICE_INFO_SUMMARY");
    case RT_DEVICE_DISCOVERY_HISTORY:
    case RT_DEVICE_LIST:
    case RT_CONSUMABLE_TONER:
        return QStringLiteral("ReportResult_type2");
    case RT_DEVICE_FW_UPGRADE:
    case RT_CONSUMABLE_INFO:
    case RT_ALERT_HISTORY:
    case RT_ALERT_TRAP_HISTORY:
        return QStringLiteral("ReportResult_type3");
    case RT_ALERT_TREND:
        return QStringLiteral("ReportResult_type1");
    case RT_USAGE_CURRENT_TOTAL_PAGES:
        return QStringLiteral("ReportResult_type2_UA_TOTAL");
    default:
        break;
    }
    if (reportBodyKind(type) != ReportBodyKind::JobAccounting)
        return {};
    if (isUserJobAccounting(type))
        return groupBy == QLatin1String("UserGroupUser") ? QStringLiteral("JACUserGroup")
                                                         : QStringLiteral("JACUserBasic");
    return groupBy == QLatin1String("UserGroupDevice") ? QStringLiteral("JACDeviceGroup")
                                                       : QStringLiteral("JACDeviceBasic");
}

} // namespace reportRegistry
