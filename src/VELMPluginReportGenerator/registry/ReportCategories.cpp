#include "VELMPluginReportGenerator/registry/ReportCategories.h"

namespace reportRegistry {

QList<ReportCategory> reportCategories(bool withJobAccounting) {
    // Category and entry names as the user interface knows them.
    QList<ReportCategory> categories{
        {QStringLiteral("RT_DEVICE"),
         {QStringLiteral("RT_DEVICE_INFO_SUMMARY"), QStringLiteral("RT_DEVICE_LIST"),
          QStringLiteral("RT_DEVICE_DISCOVERY_HISTORY"), QStringLiteral("RT_DEVICE_FW_UPGRADE")}},
        {QStringLiteral("RT_CONSUMABLE"),
         {QStringLiteral("RT_CONSUMABLE_INFO"), QStringLiteral("RT_CONSUMABLE_TONER")}},
        {QStringLiteral("RT_ALERT"),
         {QStringLiteral("RT_ALERT_HISTORY"), QStringLiteral("RT_ALERT_TREND")}},
        {QStringLiteral("RT_USAGE"),
         {QStringLiteral("RT_USAGE_COPY_SCAN_SEND_FAX"), QStringLiteral("RT_USAGE_TOTAL_PAGES"),
          QStringLiteral("RT_USAGE_COLOR_MONO"), QStringLiteral("RT_USAGE_SIMPLEX_DUPLEX"),
          QStringLiteral("RT_USAGE_PAPER_SIZE"), QStringLiteral("RT_SEPARATOR"),
          QStringLiteral("RT_USAGE_CURRENT_TOTAL_PAGES")}},
    };
    if (withJobAccounting) {
        categories.append(
            {QStringLiteral("RT_JAC"),
             {QStringLiteral("RT_JAC_BASIC"), QStringLiteral("RT_JAC_PRINT_DETAILS"),
              QStringLiteral("RT_JAC_COPY_DETAILS"), QStringLiteral("RT_JAC_SCAN_DETAILS"),
              QStringLiteral("RT_JAC_FAX_DETAILS")}});
    }
    return categories;
}

} // namespace reportRegistry
