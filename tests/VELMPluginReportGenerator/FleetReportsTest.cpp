// Every report script finds data in a fleet the generator writes, so that the demo and the
// end-to-end tests show something in each report.
#include "PeerDatabase.h"
#include "QtPrinters.h"

#include "VELMPluginReportGenerator/registry/ReportTypes.h"

#include <gtest/gtest.h>

using namespace reportRegistry;

namespace {

constexpr qint64 fleetEnd = 1796601600; // a midnight, UTC
constexpr int fleetDays = 21;

class FleetReports : public testing::Test {
protected:
    static void SetUpTestSuite() { s_db = std::make_unique<PeerDatabase>(16, fleetDays, fleetEnd); }
    static void TearDownTestSuite() { s_db.reset(); }
    void SetUp() override { ASSERT_TRUE(s_db->started()) << s_db->output().toStdString(); }

    static QList<DBSRow> rowsOf(int type) {
        ReportQueryParams params;
        params.reportId = type;
        params.reportType = type;
        params.start = fleetEnd - fleetDays * 86400;
        params.end = fleetEnd;
        return s_db->reportRows(composeReportSql(params));
    }

    static inline std::unique_ptr<PeerDatabase> s_db;
};

} // namespace

TEST_F(FleetReports, EveryScriptedReportHasRows) {
    for (int type :
         {int(RT_DEVICE_INFO_SUMMARY), int(RT_DEVICE_FW_UPGRADE), int(RT_CONSUMABLE_INFO),
          int(RT_ALERT_HISTORY), int(RT_DEVICE_FIRMWARE_INFO), int(RT_CONSUMABLE_TONER)}) {
        EXPECT_FALSE(rowsOf(type).isEmpty()) << reportTypeName(type).toStdString();
    }
    EXPECT_EQ(rowsOf(RT_DEVICE_LIST).size(), 16);
    EXPECT_EQ(rowsOf(RT_USAGE_CURRENT_TOTAL_PAGES).size(), 16);
}

TEST_F(FleetReports, DiscoveryHistoryShowsEveryStatusAndAnAddressChange) {
    QSet<QString> statuses;
    QMap<QString, QSet<QString>> addresses;
    for (const auto& row : rowsOf(RT_DEVICE_DISCOVERY_HISTORY)) {
        statuses.insert(row.value(u"DevStatus"));
        addresses[row.value(u"DeviceID")].insert(row.value(u"IP"));
    }
    EXPECT_EQ(statuses, (QSet<QString>{"New", "Found", "Lost"}));
    EXPECT_TRUE(std::any_of(addresses.begin(), addresses.end(),
                            [](const QSet<QString>& ips) { return ips.size() > 1; }));
}

TEST_F(FleetReports, TonerReportShowsADeviceWithoutToner) {
    QStringList states;
    for (const auto& row : rowsOf(RT_CONSUMABLE_TONER))
        states.append(row.value(u"ErrorState"));
    EXPECT_TRUE(states.contains("noToner")) << states.join(',').toStdString();
}
