#include "VELMPluginReportGenerator/queries/ComposeReportSql.h"
#include "VELMPluginReportGenerator/queries/DeviceScripts.h"
#include "VELMPluginReportGenerator/queries/DeviceSelection.h"
#include "VELMPluginReportGenerator/queries/SqlSafety.h"
#include "VELMPluginReportGenerator/queries/SqlTemplate.h"
#include "VELMPluginReportGenerator/registry/ReportTypes.h"

#include "QtPrinters.h"

#include <QRegularExpression>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using namespace reportRegistry;

namespace {

ReportQueryParams params(int type, int reportId = 7) {
    ReportQueryParams p;
    p.reportType = type;
    p.reportId = reportId;
    p.selectionKind = SelectionKind::Devices;
    p.selectionIds = QStringLiteral("5,9");
    p.start = 1200000000;
    p.end = 1200600000;
    return p;
}

// Names of the temporary tables a script creates and drops.
QStringList tablesMatching(const QString& script, const QString& pattern) {
    QStringList names;
    auto it = QRegularExpression(pattern).globalMatch(script);
    while (it.hasNext())
        names.append(it.next().captured(1));
    names.sort();
    return names;
}

} // namespace

TEST(SqlPlaceholders, TokensReplaceWholeAndNeverInsideLongerOnes) {
    SqlTemplate t(QStringLiteral("a _%1_ b _%11_ c _%1111_ d _%1_ e %1"));
    t.set(11, qint64(-5)).set(1111, QStringLiteral("x")).set(1, QStringLiteral("one"));
    EXPECT_EQ(t.text(), "a one b -5 c x d one e %1");
    // A value may bring in a token that a later substitution fills.
    SqlTemplate chained(QStringLiteral("[_%3_]"));
    chained.set(3, QStringLiteral("_%17_ + 1")).set(17, qint64(42));
    EXPECT_EQ(chained.text(), "[42 + 1]");
    SqlTemplate missing(QStringLiteral("no tokens"));
    EXPECT_EQ(missing.set(4, qint64(1)).text(), "no tokens");
}

TEST(SqlPlaceholders, ReportIdEndsEveryTableName) {
    SqlTemplate t(QStringLiteral("devIDs_%1_ temp2__%1_ R_%8___%1_ idxdevID__%1_"));
    t.set(8, qint64(3)).setReportId(7);
    EXPECT_EQ(t.text(), "devIDs_7_ temp2__7_ R3__7_ idxdevID__7_");
}

TEST(SqlDeviceSelection, KindsFillOrIgnoreTheIdList) {
    EXPECT_EQ(deviceSelectionSql(SelectionKind::AllDevices, "5,9"),
              "SELECT DISTINCT DeviceID  AS R_DevID FROM Devices;");
    EXPECT_EQ(deviceSelectionSql(SelectionKind::Devices, "5,9"),
              "SELECT DeviceID AS R_DevID FROM Devices WHERE DeviceID IN (5,9);");
    EXPECT_EQ(deviceSelectionSql(SelectionKind::Groups, "4"),
              "SELECT DISTINCT R_DeviceID  AS R_DevID FROM DeviceInGroup WHERE R_GroupID IN (4);");
    auto p = params(RT_DEVICE_FW_UPGRADE, 12);
    EXPECT_TRUE(composeReportSql(p).contains(
        "INSERT INTO devIDs_12_ SELECT DeviceID AS R_DevID FROM Devices WHERE DeviceID IN (5,9);"));
}

TEST(SqlDispatch, TypesWithoutScriptComposeNothing) {
    for (int type : {int(RT_USAGE_CUSTOM), int(RT_ALERT_TRAP_HISTORY), int(RT_JAC_USER_BASIC),
                     int(RT_JAC_DEVICE_SCAN_DETAILS), -1, 27}) {
        auto p = params(type);
        EXPECT_TRUE(composeReportSql(p).isEmpty()) << type;
    }
}

TEST(SqlDispatch, PeriodTypesGetTheirFixedCountersWhateverTheCallerHandedIn) {
    auto p = params(RT_USAGE_COLOR_MONO);
    p.counters = {CounterSpec::alertKind(9, "Stale")};
    composeReportSql(p);
    ASSERT_EQ(p.counters.size(), 2);
    EXPECT_EQ(p.counters[0],
              CounterSpec::jobTypeAndColumn(47, "Color_Counter", "IN ('print','copy','faxIn')",
                                            counterColumn::colourMode, "= 'fullColor'"));
    EXPECT_EQ(p.counters[1].valueCondition, "= 'monoColor'");

    p.reportType = RT_USAGE_COPY_SCAN_SEND_FAX;
    composeReportSql(p);
    ASSERT_EQ(p.counters.size(), 4); // Report_Counter has no column in the usage SQL
    EXPECT_EQ(p.counters[3], CounterSpec::jobTypeOnly(47, "IncomingFax_Counter", "= 'faxIn'"));

    p.reportType = RT_USAGE_TOTAL_PAGES;
    composeReportSql(p);
    ASSERT_EQ(p.counters.size(), 8);
    EXPECT_EQ(p.counters[4].name, "Large_Simplex_Mono");
    EXPECT_EQ(p.counters[4].column, counterColumn::mediaSize);
    EXPECT_EQ(p.counters[4].valueCondition, "= 'large'");
    EXPECT_EQ(p.counters[3].valueCondition, "= 'small'");

    p.reportType = RT_ALERT_TREND;
    composeReportSql(p);
    ASSERT_EQ(p.counters.size(), 4);
    EXPECT_EQ(p.counters[2], CounterSpec::alertKind(2, "DeviceAlert"));
    EXPECT_FALSE(p.counters[2].filtered);

    // Types without fixed counters keep what the caller handed in.
    p.reportType = RT_DEVICE_LIST;
    composeReportSql(p);
    EXPECT_EQ(p.counters.size(), 4);
}

TEST(SqlDispatch, EveryScriptDropsEveryTableItCreatesUnderItsOwnId) {
    for (int type :
         {int(RT_DEVICE_INFO_SUMMARY), int(RT_DEVICE_DISCOVERY_HISTORY), int(RT_DEVICE_FW_UPGRADE),
          int(RT_CONSUMABLE_INFO), int(RT_ALERT_HISTORY), int(RT_DEVICE_LIST),
          int(RT_DEVICE_FIRMWARE_INFO), int(RT_USAGE_CURRENT_TOTAL_PAGES)}) {
        auto p = params(type, 31);
        const QString script = composeReportSql(p);
        SCOPED_TRACE(reportTypeName(type).toStdString());
        const auto created = tablesMatching(script, R"(CREATE TEMP TABLE (\w+))");
        ASSERT_FALSE(created.isEmpty());
        EXPECT_EQ(created, tablesMatching(script, R"(DROP TABLE (\w+))"));
        for (const auto& name : created)
            EXPECT_TRUE(name.endsWith("_31_")) << name.toStdString();
        EXPECT_FALSE(script.contains("_%")) << "placeholder left";
    }
    auto toner = params(RT_CONSUMABLE_TONER);
    const QString script = composeReportSql(toner);
    EXPECT_FALSE(script.contains("TEMP"));
    EXPECT_FALSE(script.contains("5,9")) << "the toner report ignores the selection";
}

TEST(SqlDispatch, RangesAreWrittenAsTheirScriptsAsk) {
    auto p = params(RT_DEVICE_DISCOVERY_HISTORY);
    const QString discovery = composeReportSql(p);
    EXPECT_TRUE(discovery.contains("StartTime >= 1197235200 AND StartTime <= 1203364800"));
    EXPECT_TRUE(discovery.contains("StartTime >= 1200000000 AND StartTime <= 1200600000"));
    p.reportType = RT_ALERT_HISTORY;
    EXPECT_TRUE(
        composeReportSql(p).contains("t8.Value + 0 >= 1200000000 AND t8.Value + 0 <= 1200600000"));
    EXPECT_TRUE(composeReportSql(p).contains("CREATE TEMP TABLE devIDs__7_ AS SELECT"));
}

TEST(SqlDispatch, UncheckedSelectionTextComposesNothing) {
    for (const char* ids : {"1) OR 1=1 --", "1;DROP TABLE Devices", "", "1,,2", "1, 2", "0x10"}) {
        auto p = params(RT_DEVICE_FW_UPGRADE);
        p.selectionIds = ids;
        EXPECT_TRUE(composeReportSql(p).isEmpty()) << ids;
        p.selectionKind = SelectionKind::Groups;
        EXPECT_TRUE(composeReportSql(p).isEmpty()) << ids;
    }
    auto all = params(RT_DEVICE_FW_UPGRADE);
    all.selectionKind = SelectionKind::AllDevices;
    all.selectionIds = "anything";
    EXPECT_FALSE(composeReportSql(all).isEmpty());
}

TEST(SqlSafetyHelpers, IdsMustBeDecimalIntegers) {
    EXPECT_EQ(decimalId(" 0042 "), "42");
    EXPECT_EQ(decimalId("-1"), std::nullopt);
    EXPECT_EQ(decimalId("1e3"), std::nullopt);
    EXPECT_EQ(decimalId("٣"), std::nullopt); // a non-ASCII digit
    EXPECT_EQ(decimalId("1234567890123456789"), std::nullopt);
    EXPECT_EQ(decimalIdList({"3", "17", "20"}), "3,17,20");
    EXPECT_EQ(decimalIdList({"3", "17 OR 1=1"}), std::nullopt);
    EXPECT_EQ(decimalIdList({}), "");
}

TEST(SqlSafetyHelpers, QuotedTextsDoubleTheirQuote) {
    EXPECT_EQ(quotedSqlText("O'Neil's MFP"), "'O''Neil''s MFP'");
    EXPECT_EQ(quotedSqlText("a\"b", '"'), "\"a\"\"b\"");
    EXPECT_EQ(quotedSqlText(""), "''");
}

TEST(SqlSafetyHelpers, SortByIsAKnownColumnOrSortKey) {
    EXPECT_EQ(deviceListOrder("IP"), (DeviceListOrder{"IP", true}));
    EXPECT_EQ(deviceListOrder("SB_IPADDR"), (DeviceListOrder{"IP", true}));
    EXPECT_EQ(deviceListOrder("SB_DEVICE_NAME"), (DeviceListOrder{"HostName", false}));
    EXPECT_EQ(deviceListOrder("SB_SERIAL_NUM"), (DeviceListOrder{"Serial", false}));
    EXPECT_EQ(deviceListOrder("modelname desc"), (DeviceListOrder{"ModelName DESC", false}));
    EXPECT_EQ(deviceListOrder("IP DESC"), (DeviceListOrder{"IP DESC", false}));
    for (const char* hostile :
         {"", "   ", "HostName; DROP TABLE Devices", "(SELECT 1)", "HostName DESC, IP",
          "HostName SIDEWAYS", "SB_USER_NAME", "Value", "HostName--"}) {
        EXPECT_EQ(deviceListOrder(hostile), std::nullopt) << hostile;
    }
}

TEST(SqlSafetyHelpers, ScriptsSplitIntoTheirStatements) {
    EXPECT_EQ(splitSqlStatements("A;\n  ;B;;\nC\n;\n"), (QStringList{"A", "B", "\nC\n"}));
    EXPECT_TRUE(splitSqlStatements("").isEmpty());
}

TEST(SqlCounterQuery, DeviceIdIsCheckedBeforeItReachesTheText) {
    const auto sql = composeCurrentUsageCountersSql(" 12");
    ASSERT_TRUE(sql);
    EXPECT_TRUE(sql->contains("j.R_DeviceID = 12 AND"));
    EXPECT_FALSE(sql->contains("_%"));
    EXPECT_EQ(composeCurrentUsageCountersSql("12 OR 1=1"), std::nullopt);
    EXPECT_EQ(composeCurrentUsageCountersSql(""), std::nullopt);
}

TEST(SqlDispatch, ComposesTheSameTextFromManyThreadsAtOnce) {
    const QList<int> types{RT_DEVICE_INFO_SUMMARY, RT_DEVICE_DISCOVERY_HISTORY, RT_ALERT_HISTORY,
                           RT_USAGE_CURRENT_TOTAL_PAGES, RT_USAGE_TOTAL_PAGES};
    QStringList expected;
    for (int type : types) {
        auto p = params(type);
        expected.append(composeReportSql(p));
    }
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&] {
            for (int round = 0; round < 50; ++round) {
                for (qsizetype i = 0; i < types.size(); ++i) {
                    auto p = params(types[i]);
                    if (composeReportSql(p) != expected[i])
                        ++mismatches;
                }
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches, 0);
}
