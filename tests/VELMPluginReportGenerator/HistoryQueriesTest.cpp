// Discovery, firmware upgrade, consumable and alert history scripts on the real velm-peers.
#include "PeerDatabase.h"
#include "QtPrinters.h"

#include "VELMPluginReportGenerator/queries/ComposeReportSql.h"
#include "VELMPluginReportGenerator/registry/ReportTypes.h"

#include <gtest/gtest.h>

using namespace reportRegistry;

namespace {

// 2008-03-20 09:00:00 in Berlin (CET), and one day.
constexpr qint64 t0 = 1206000000;
constexpr qint64 day = 86400;

ReportQueryParams reportOn(int type, const QString& deviceIds, qint64 start, qint64 end) {
    ReportQueryParams p;
    p.reportId = 4;
    p.reportType = type;
    p.selectionKind = SelectionKind::Devices;
    p.selectionIds = deviceIds;
    p.start = start;
    p.end = end;
    return p;
}

QString discovery(int id, qint64 start) {
    return QStringLiteral("INSERT INTO Discoveries (DiscoveryID, StartTime) VALUES (%1, %2)")
        .arg(id)
        .arg(start);
}

QString found(int device, int discovery, const QString& ip, bool isNew = false) {
    return QStringLiteral("INSERT INTO DiscoveryResults (DeviceID, R_DiscoveryID, IP, IsNew) "
                          "VALUES (%1, %2, '%3', %4)")
        .arg(device)
        .arg(discovery)
        .arg(ip)
        .arg(isNew ? 1 : 0);
}

class HistoryQueries : public ReportScriptTest {};

} // namespace

TEST_F(HistoryQueries, DiscoveryHistoryFindsNewFoundAndLostDevices) {
    QStringList fill;
    for (int device = 1; device <= 4; ++device)
        fill << PeerDatabase::identity(device, QStringLiteral("10.0.0.%1").arg(device));
    // Discovery 1 lies before the range but within the margin: it is the predecessor that
    // keeps device 1 and 2 from counting as Found again at discovery 2.
    fill << discovery(1, t0) << discovery(2, t0 + day) << discovery(3, t0 + 2 * day)
         << discovery(4, t0 + 3 * day);
    fill << found(1, 1, "10.0.0.11") << found(1, 2, "10.0.0.11"); // then gone
    fill << found(2, 1, "10.0.0.12") << found(2, 2, "10.0.0.12") << found(2, 3, "10.0.0.22")
         << found(2, 4, "10.0.0.22"); // a new address at discovery 3
    fill << found(3, 2, "10.0.0.13", true) << found(3, 3, "10.0.0.13") << found(3, 4, "10.0.0.13");
    fill << found(4, 2, "10.0.0.14", true); // not selected
    db.exec(fill);

    const QStringList columns{"DeviceID",  "IP",  "DevStatus", "HostName",
                              "ModelName", "MAC", "StartTime"};
    EXPECT_EQ(
        run(reportOn(RT_DEVICE_DISCOVERY_HISTORY, "1,2,3", t0 + day - 60, t0 + 3 * day), columns),
        (QStringList{
            "DeviceID=3|IP=10.0.0.13|DevStatus=New|HostName=prn-3|ModelName=Model "
            "3|MAC=00:00:00:00:00:03|StartTime=2008-03-21 09:00:00",
            "DeviceID=1|IP=10.0.0.11|DevStatus=Lost|HostName=prn-1|ModelName=Model "
            "1|MAC=00:00:00:00:00:01|StartTime=2008-03-22 09:00:00",
            "DeviceID=2|IP=10.0.0.12|DevStatus=Lost|HostName=prn-2|ModelName=Model "
            "2|MAC=00:00:00:00:00:02|StartTime=2008-03-22 09:00:00",
            "DeviceID=2|IP=10.0.0.22|DevStatus=Found|HostName=prn-2|ModelName=Model "
            "2|MAC=00:00:00:00:00:02|StartTime=2008-03-22 09:00:00",
        }));

    // From discovery 1 on, the first discovery of the range has no predecessor: all Found.
    const QStringList statusColumns{"DeviceID", "IP", "DevStatus"};
    EXPECT_EQ(run(reportOn(RT_DEVICE_DISCOVERY_HISTORY, "1,2", t0, t0 + day), statusColumns),
              (QStringList{"DeviceID=1|IP=10.0.0.11|DevStatus=Found",
                           "DeviceID=2|IP=10.0.0.12|DevStatus=Found"}));
}

TEST_F(HistoryQueries, FirmwareUpgradesOfTheSelectionWithinTheRange) {
    const QString insert = QStringLiteral(
        "INSERT INTO UpgradeHistory (R_DeviceID, FwType, FwVersionNew, FwVersionOld, UpgradeTime) "
        "VALUES (%1, '%2', '%3', '%4', %5)");
    db.exec({PeerDatabase::device(1), PeerDatabase::device(2), PeerDatabase::device(5),
             insert.arg(2).arg("Engine").arg("E2").arg("E1").arg(t0 + 2 * day),
             insert.arg(2).arg("NIC").arg("N2").arg("N1").arg(t0 + day),
             insert.arg(2).arg("NIC").arg("N1").arg("N0").arg(t0 - day), // before the range
             insert.arg(1).arg("Engine").arg("E9").arg("E8").arg(t0),
             insert.arg(5).arg("Engine").arg("X").arg("Y").arg(t0)}); // not selected
    EXPECT_EQ(run(reportOn(RT_DEVICE_FW_UPGRADE, "1,2", t0, t0 + 2 * day),
                  {"DeviceID", "FwType", "FwVersionNew", "FwVersionOld", "UpgradeTime"}),
              (QStringList{
                  "DeviceID=1|FwType=Engine|FwVersionNew=E9|FwVersionOld=E8|UpgradeTime=2008-03-"
                  "20 09:00:00",
                  "DeviceID=2|FwType=NIC|FwVersionNew=N2|FwVersionOld=N1|UpgradeTime=2008-03-21 "
                  "09:00:00",
                  "DeviceID=2|FwType=Engine|FwVersionNew=E2|FwVersionOld=E1|UpgradeTime=2008-03-"
                  "22 09:00:00",
              }));
}

TEST_F(HistoryQueries, ConsumablesJoinTheCellsOfEachSupplyRow) {
    QStringList fill{PeerDatabase::device(1), PeerDatabase::device(2)};
    const auto supply = [&](int device, int row, const QStringList& cells) {
        for (int column = 1; column <= cells.size(); ++column)
            fill << PeerDatabase::value(device, 22, cells[column - 1], column, row);
    };
    supply(1, 2, {"opc", "Drum", "percent", "100", "40"});
    supply(1, 1, {"toner", "Black Toner", "percent", "100", "7"});
    supply(2, 1, {"toner", "Toner 'K'", "percent", "100"});   // no level reported
    supply(3, 1, {"toner", "Black", "percent", "100", "50"}); // not selected
    db.exec(fill);
    EXPECT_EQ(
        run(reportOn(RT_CONSUMABLE_INFO, "1,2", 0, 0),
            {"DeviceID", "RowIndex", "SupplyType", "Description", "Unit", "MaxCapacity", "Level"}),
        (QStringList{
            "DeviceID=1|RowIndex=1|SupplyType=toner|Description=Black "
            "Toner|Unit=percent|MaxCapacity=100|Level=7",
            "DeviceID=1|RowIndex=2|SupplyType=opc|Description=Drum|Unit=percent|"
            "MaxCapacity=100|Level=40",
            "DeviceID=2|RowIndex=1|SupplyType=toner|Description=Toner "
            "'K'|Unit=percent|MaxCapacity=100|Level=",
        }));
}

TEST_F(HistoryQueries, AlertHistoryGoesByTheAlertsOwnTime) {
    const qint64 start = t0;
    const qint64 end = t0 + day;
    QStringList fill{PeerDatabase::device(1), PeerDatabase::device(2), PeerDatabase::device(3)};
    const auto alert = [&](int device, qint64 sample, int row, const QString& code,
                           qint64 alertTime) {
        const QStringList cells{code,      "Text of " + code, "critical",
                                "trained", "mediaPath",       QString::number(alertTime)};
        for (int column = 1; column <= cells.size(); ++column)
            fill << PeerDatabase::history(device, 30, column, row, sample, cells[column - 1]);
    };
    alert(1, start + 3600, 1, "jam", start + 3000);
    alert(1, start + 3600, 2, "coverOpen", start - 600); // raised before the range
    alert(1, end + 7200, 1, "jam", start + 3000);        // stored after the end, still active
    alert(1, end + 7200, 2, "doorOpen", end + 7000);     // raised after the end
    alert(2, start + 60, 1, "markerTonerEmpty", start + 10);
    alert(3, start + 60, 1, "jam", start + 10); // not selected
    db.exec(fill);
    EXPECT_EQ(run(reportOn(RT_ALERT_HISTORY, "1,2", start, end),
                  {"DeviceID", "TimeValue", "AlertTime", "SeverityLevel", "TrainingLevel",
                   "AlertCode", "AlertGroup", "Description"}),
              (QStringList{
                  "DeviceID=1|TimeValue=2008-03-20 10:00:00|AlertTime=2008-03-20 "
                  "09:50:00|SeverityLevel=critical|TrainingLevel=trained|AlertCode=jam|"
                  "AlertGroup=mediaPath|Description=Text of jam",
                  "DeviceID=1|TimeValue=2008-03-21 11:00:00|AlertTime=2008-03-20 "
                  "09:50:00|SeverityLevel=critical|TrainingLevel=trained|AlertCode=jam|"
                  "AlertGroup=mediaPath|Description=Text of jam",
                  "DeviceID=2|TimeValue=2008-03-20 09:01:00|AlertTime=2008-03-20 "
                  "09:00:10|SeverityLevel=critical|TrainingLevel=trained|AlertCode="
                  "markerTonerEmpty|AlertGroup=mediaPath|Description=Text of markerTonerEmpty",
              }));
}
