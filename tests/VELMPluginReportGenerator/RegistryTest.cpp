#include "VELMPluginReportGenerator/registry/PropertyNames.h"
#include "VELMPluginReportGenerator/registry/ReportCategories.h"
#include "VELMPluginReportGenerator/registry/ReportCodes.h"
#include "VELMPluginReportGenerator/registry/ReportTypes.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

using namespace reportRegistry;

TEST(ReportTypeRegistry, NamesMatchExactlyAndRoundTripEveryNumber) {
    EXPECT_EQ(reportTypeFromName("RT_DEVICE_LIST"), 13);
    EXPECT_EQ(reportTypeFromName("rt_device_list"), std::nullopt);
    EXPECT_EQ(reportTypeFromName(" RT_DEVICE_LIST"), std::nullopt);
    EXPECT_EQ(reportTypeFromName(""), std::nullopt);
    // Entries of the user interface that are not table rows.
    EXPECT_EQ(reportTypeFromName("RT_SEPARATOR"), std::nullopt);
    EXPECT_EQ(reportTypeFromName("RT_JAC_BASIC"), std::nullopt);
    for (int type = 0; type < reportTypeCount; ++type)
        EXPECT_EQ(reportTypeFromName(reportTypeName(type)), type) << type;
    EXPECT_EQ(reportTypeName(reportTypeCount), QString());
    EXPECT_EQ(reportTypeName(-1), QString());
}

TEST(ReportTypeRegistry, CounterAndLabelListsPairUp) {
    EXPECT_EQ(reportTypeCounters(RT_USAGE_COPY_SCAN_SEND_FAX),
              (QStringList{"Print_Counter", "Copy_Counter", "Scan_Counter", "IncomingFax_Counter",
                           "Report_Counter"}));
    EXPECT_EQ(reportTypeLabels(RT_ALERT_TREND),
              (QStringList{"#I18N_JAM#", "#I18N_SUPPLY_ALERT#", "#I18N_DEVICE_ALERT#",
                           "#I18N_SERVICE_ALERT#"}));
    EXPECT_EQ(reportTypeCounters(RT_USAGE_TOTAL_PAGES).size(), 8);
    EXPECT_EQ(reportTypeLabels(RT_USAGE_TOTAL_PAGES), reportTypeCounters(RT_USAGE_TOTAL_PAGES));
    for (int type = 0; type < reportTypeCount; ++type) {
        EXPECT_EQ(reportTypeCounters(type).size(), reportTypeLabels(type).size()) << type;
        if (type == RT_USAGE_TOTAL_PAGES)
            continue;
        for (const auto& label : reportTypeLabels(type))
            EXPECT_TRUE(label.startsWith("#I18N_") && label.endsWith('#')) << label.toStdString();
    }
    EXPECT_TRUE(reportTypeCounters(RT_DEVICE_LIST).isEmpty());
    EXPECT_TRUE(reportTypeCounters(99).isEmpty());
    EXPECT_EQ(reportTypeTitle(RT_CONSUMABLE_INFO), "Consumables (Cosumable List)");
    EXPECT_EQ(reportTypeTitle(RT_DEVICE_LIST), QString());
}

TEST(ReportTypeRegistry, BodyKindAndStylesheetFollowTheType) {
    EXPECT_EQ(reportBodyKind(RT_USAGE_TOTAL_PAGES), ReportBodyKind::CounterReport);
    EXPECT_EQ(reportBodyKind(RT_ALERT_TREND), ReportBodyKind::CounterReport);
    EXPECT_EQ(reportBodyKind(RT_DEVICE_INFO_SUMMARY), ReportBodyKind::DevicePropertyReport);
    EXPECT_EQ(reportBodyKind(RT_USAGE_CURRENT_TOTAL_PAGES), ReportBodyKind::AllRows);
    EXPECT_EQ(reportBodyKind(RT_ALERT_TRAP_HISTORY), ReportBodyKind::DeviceListThenPerDevice);
    EXPECT_EQ(reportBodyKind(RT_USAGE_CUSTOM), ReportBodyKind::None);
    EXPECT_EQ(reportBodyKind(RT_DEVICE_FIRMWARE_INFO), ReportBodyKind::None);
    EXPECT_EQ(reportBodyKind(RT_JAC_USER_BASIC), ReportBodyKind::JobAccounting);
    EXPECT_EQ(reportBodyKind(RT_JAC_DEVICE_SCAN_DETAILS), ReportBodyKind::JobAccounting);
    EXPECT_EQ(reportBodyKind(-3), ReportBodyKind::None);

    EXPECT_EQ(valueAxisTitle(RT_USAGE_COLOR_MONO), "Page Count");
    EXPECT_EQ(valueAxisTitle(RT_ALERT_TREND), "Alert Count");
    EXPECT_EQ(valueAxisTitle(RT_ALERT_HISTORY), QString());

    EXPECT_EQ(stylesheetBaseName(RT_USAGE_TOTAL_PAGES, {}), "ReportResult_type1_UA_Detail");
    EXPECT_EQ(stylesheetBaseName(RT_ALERT_TREND, {}), "ReportResult_type1");
    EXPECT_EQ(stylesheetBaseName(RT_USAGE_CUSTOM, {}), QString());
    EXPECT_EQ(stylesheetBaseName(RT_JAC_USER_FAX_DETAILS, "UserGroupUser"), "JACUserGroup");
    EXPECT_EQ(stylesheetBaseName(RT_JAC_USER_FAX_DETAILS, "UserGroupDevice"), "JACUserBasic");
    EXPECT_EQ(stylesheetBaseName(RT_JAC_DEVICE_PRINT_DETAILS, "UserGroupDevice"), "JACDeviceGroup");
    EXPECT_EQ(stylesheetBaseName(RT_JAC_DEVICE_BASIC, {}), "JACDeviceBasic");
}

TEST(PropertyNameTable, IdsComeFromPositions) {
    EXPECT_EQ(propertyIdFromName("ModelName"), propertyId::modelName);
    EXPECT_EQ(propertyIdFromName("HostName"), propertyId::hostName);
    EXPECT_EQ(propertyIdFromName("Color_Counter"), 100);
    EXPECT_EQ(propertyIdFromName("Print_Counter"), 118);
    EXPECT_EQ(propertyIdFromName("NicVer"), 38);
    EXPECT_EQ(propertyIdFromName("Group"), 0);
    EXPECT_EQ(propertyIdFromName(""), 0);
    EXPECT_EQ(propertyIdFromName("modelname"), 0);
    EXPECT_EQ(propertyName(propertyId::ipAddress), "IP");
    EXPECT_EQ(propertyName(20), QString());
    EXPECT_EQ(propertyName(propertyNameCount), QString());
    // Every counter column of the usage report types has its id at or above the counter range.
    for (const auto& counter : reportTypeCounters(RT_USAGE_COLOR_MONO))
        EXPECT_GE(propertyIdFromName(counter), firstCounterNameId) << counter.toStdString();
}

TEST(ReportDefinitionCodes, UnknownCodesFallBackToTheirDefaults) {
    EXPECT_EQ(periodFromCode("P_LAST_WEEK"), P_LAST_WEEK);
    EXPECT_EQ(periodFromCode("P_THIS_YEAR"), P_THIS_YEAR);
    EXPECT_EQ(periodFromCode(""), P_CUSTOM);
    EXPECT_EQ(periodFromCode("p_last_week"), P_CUSTOM);
    EXPECT_EQ(periodCode(P_LAST_SIX_MONTH), "P_LAST_SIX_MONTH");
    EXPECT_EQ(intervalFromCode("I_MONTH"), I_MONTH);
    EXPECT_EQ(intervalFromCode("I_YEAR"), I_HOUR);
    EXPECT_EQ(chartTypeFromCode("CT_PIE"), chartType::pie);
    EXPECT_EQ(chartTypeFromCode("CT_LINE"), chartType::line);
    EXPECT_EQ(chartTypeFromCode("Pie"), chartType::bar);
    EXPECT_EQ(chartTypeFromCode(""), chartType::bar);
    EXPECT_EQ(sortKeyNames().size(), 8);
}

TEST(ReportDefinitionCodes, SummaryIntervalFollowsThePeriod) {
    EXPECT_EQ(reportInterval(true, P_CUSTOM, "I_MONTH"), I_HOUR);
    EXPECT_EQ(reportInterval(true, P_THIS_YEAR, "I_HOUR"), I_MONTH);
    EXPECT_EQ(reportInterval(true, P_THIS_WEEK, {}), I_DAY);
    EXPECT_EQ(reportInterval(true, P_LAST_TWO_WEEK, {}), I_WEEK);
    EXPECT_EQ(reportInterval(true, P_LAST_TWO_MONTH, {}), I_MONTH);
    EXPECT_EQ(reportInterval(false, P_THIS_YEAR, "I_WEEK"), I_WEEK);
    EXPECT_EQ(reportInterval(false, P_THIS_YEAR, "week"), I_HOUR);
}

TEST(ReportCategoryList, JobAccountingCategoryOnlyWithThePlugIn) {
    const auto without = reportCategories(false);
    const auto with = reportCategories(true);
    ASSERT_EQ(without.size(), 4);
    ASSERT_EQ(with.size(), 5);
    EXPECT_EQ(with.back().name, "RT_JAC");
    EXPECT_EQ(without[3].entries.at(5), "RT_SEPARATOR");
    for (const auto& category : with) {
        EXPECT_LE(category.entries.size(), maxCategoryEntries) << category.name.toStdString();
        if (category.name == "RT_JAC")
            continue;
        for (const auto& entry : category.entries) {
            if (entry != "RT_SEPARATOR") {
                EXPECT_TRUE(reportTypeFromName(entry).has_value()) << entry.toStdString();
            }
        }
    }
}
