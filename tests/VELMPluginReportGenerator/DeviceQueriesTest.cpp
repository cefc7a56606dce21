// Device list, device summary, firmware, toner, current page and counter scripts on the real
// velm-peers.
#include "PeerDatabase.h"
#include "QtPrinters.h"

#include "VELMPluginReportGenerator/queries/ComposeReportSql.h"
#include "VELMPluginReportGenerator/queries/DeviceScripts.h"
#include "VELMPluginReportGenerator/queries/SqlSafety.h"
#include "VELMPluginReportGenerator/registry/ReportTypes.h"

#include <gtest/gtest.h>
#include <thread>

using namespace reportRegistry;

namespace {

ReportQueryParams reportOn(int type, const QString& deviceIds) {
    ReportQueryParams p;
    p.reportId = 9;
    p.reportType = type;
    p.selectionKind = deviceIds.isEmpty() ? SelectionKind::AllDevices : SelectionKind::Devices;
    p.selectionIds = deviceIds;
    return p;
}

// One row of a device's counter table: job type, media size, print mode, colour, count.
QStringList counterRow(int device, int row, const QStringList& cells) {
    const int columns[] = {2, 3, 5, 6, 7};
    QStringList fill;
    for (int i = 0; i < cells.size(); ++i)
        fill << PeerDatabase::value(device, 47, cells[i], columns[i], row);
    return fill;
}

class DeviceQueries : public ReportScriptTest {};

} // namespace

TEST_F(DeviceQueries, DeviceListShowsEveryDeviceWithNullForMissingValues) {
    QStringList fill = PeerDatabase::identity(2, "10.0.0.2");
    fill << PeerDatabase::value(2, 1, "running") << PeerDatabase::value(2, 7, "Room 1")
         << PeerDatabase::value(2, 10, "SN2") << PeerDatabase::device(1);
    db.exec(fill);
    EXPECT_EQ(run(reportOn(RT_DEVICE_LIST, "2"), {"DeviceID", "ModelName", "IP", "MAC", "Status",
                                                  "HostName", "Location", "Serial"}),
              (QStringList{
                  "DeviceID=1|ModelName=|IP=|MAC=|Status=|HostName=|Location=|Serial=",
                  "DeviceID=2|ModelName=Model 2|IP=10.0.0.2|MAC=00:00:00:00:00:02|Status="
                  "running|HostName=prn-2|Location=Room 1|Serial=SN2",
              }));
}

TEST_F(DeviceQueries, DeviceSummaryListsCurrentValuesKeptWithoutHistory) {
    db.exec({PeerDatabase::device(1), PeerDatabase::device(2), PeerDatabase::value(1, 7, "Hall"),
             PeerDatabase::value(1, 3, "prn-1"), PeerDatabase::value(1, 22, "Drum", 2, 1),
             PeerDatabase::value(1, 22, "toner", 1, 1),
             PeerDatabase::value(1, 30, "jam", 1, 1),   // kept with history
             PeerDatabase::value(1, 47, "print", 2, 1), // kept with history
             PeerDatabase::value(2, 3, "prn-2")});      // not selected
    EXPECT_EQ(run(reportOn(RT_DEVICE_INFO_SUMMARY, "1"),
                  {"R_DeviceID", "PropName", "PropColumnName", "RowIndex", "Value"}),
              (QStringList{
                  "R_DeviceID=1|PropName=HostName|PropColumnName=Value|RowIndex=0|Value=prn-1",
                  "R_DeviceID=1|PropName=Location|PropColumnName=Value|RowIndex=0|Value=Hall",
                  "R_DeviceID=1|PropName=SupplyInfos|PropColumnName=SupplyType|RowIndex=1|"
                  "Value=toner",
                  "R_DeviceID=1|PropName=SupplyInfos|PropColumnName=Description|RowIndex=1|"
                  "Value=Drum",
              }));
}

TEST_F(DeviceQueries, FirmwareInfoNeedsBothVersions) {
    db.exec({PeerDatabase::device(1), PeerDatabase::device(2), PeerDatabase::device(3),
             PeerDatabase::value(1, 37, "E1"), PeerDatabase::value(1, 38, "N1"),
             PeerDatabase::value(2, 37, "E2"), PeerDatabase::value(3, 37, "E3"),
             PeerDatabase::value(3, 38, "N3")});
    EXPECT_EQ(run(reportOn(RT_DEVICE_FIRMWARE_INFO, "1,2"), {"DeviceID", "EngineVer", "NicVer"}),
              (QStringList{"DeviceID=1|EngineVer=E1|NicVer=N1"}));
    EXPECT_EQ(run(reportOn(RT_DEVICE_FIRMWARE_INFO, ""), {"DeviceID"}),
              (QStringList{"DeviceID=1", "DeviceID=3"}));
}

TEST_F(DeviceQueries, TonerAlarmsIgnoreTheSelection) {
    QStringList fill;
    const QStringList states{"lowToner", "noToner", "noError", "noToner"};
    for (int device = 1; device <= 4; ++device) {
        fill << PeerDatabase::identity(device, QStringLiteral("10.0.0.%1").arg(device))
             << PeerDatabase::value(device, 36, states[device - 1])
             << PeerDatabase::value(device, 7, "Hall");
        if (device != 4) // without a serial the device drops out
            fill << PeerDatabase::value(device, 10, QStringLiteral("SN%1").arg(device));
    }
    db.exec(fill);
    EXPECT_EQ(
        run(reportOn(RT_CONSUMABLE_TONER, "3"),
            {"DeviceID", "ModelName", "IP", "MAC", "ErrorState", "HostName", "Location", "Serial"}),
        (QStringList{
            "DeviceID=1|ModelName=Model 1|IP=10.0.0.1|MAC=00:00:00:00:00:01|ErrorState="
            "lowToner|HostName=prn-1|Location=Hall|Serial=SN1",
            "DeviceID=2|ModelName=Model 2|IP=10.0.0.2|MAC=00:00:00:00:00:02|ErrorState="
            "noToner|HostName=prn-2|Location=Hall|Serial=SN2",
        }));
}

TEST_F(DeviceQueries, CurrentTotalPagesCountDuplexTwice) {
    QStringList fill;
    for (int device = 1; device <= 3; ++device) {
        fill << PeerDatabase::identity(device, QStringLiteral("10.0.0.%1").arg(device))
             << PeerDatabase::value(device, 28, QString::number(device * 1000));
        if (device != 3) // without a serial the device drops out
            fill << PeerDatabase::value(device, 10, QStringLiteral("SN%1").arg(device));
    }
    fill << counterRow(1, 1, {"print", "small", "simplex", "monoColor", "60"})
         << counterRow(1, 2, {"print", "large", "simplex", "fullColor", "40"})
         << counterRow(1, 3, {"print", "small", "duplex", "monoColor", "50"})
         << counterRow(1, 4, {"copy", "small", "simplex", "monoColor", "10"})
         << counterRow(1, 5, {"scan", "small", "simplex", "monoColor", "7"})
         << counterRow(1, 6, {"scan", "small", "duplex", "monoColor", "100"})
         << counterRow(1, 7, {"faxIn", "small", "duplexSingle", "monoColor", "5"})
         << counterRow(2, 1, {"print", "small", "simplex", "monoColor", "30"})
         << counterRow(2, 2, {"report", "small", "duplex", "monoColor", "4"})
         << counterRow(3, 1, {"print", "small", "simplex", "monoColor", "1"});
    db.exec(fill);
    const QStringList columns{
        "deviceid",      "IP",           "ModelName",           "Serial",       "CountMarker",
        "Print_Counter", "Copy_Counter", "IncomingFax_Counter", "Scan_Counter", "Report_Counter"};
    EXPECT_EQ(run(reportOn(RT_USAGE_CURRENT_TOTAL_PAGES, ""), columns),
              (QStringList{
                  "deviceid=1|IP=10.0.0.1|ModelName=Model 1|Serial=SN1|CountMarker=1000|Print_"
                  "Counter=200|Copy_Counter=10|IncomingFax_Counter=|Scan_Counter=7|Report_"
                  "Counter=",
                  "deviceid=2|IP=10.0.0.2|ModelName=Model 2|Serial=SN2|CountMarker=2000|Print_"
                  "Counter=30|Copy_Counter=|IncomingFax_Counter=|Scan_Counter=|Report_Counter=8",
              }));
    EXPECT_EQ(run(reportOn(RT_USAGE_CURRENT_TOTAL_PAGES, "2,3"), {"deviceid"}),
              (QStringList{"deviceid=2"}));
}

TEST_F(DeviceQueries, CurrentCountersTranslateTheStoredWords) {
    QStringList fill{PeerDatabase::device(1)};
    fill << counterRow(1, 1, {"print", "small", "simplex", "fullColor", "60"})
         << counterRow(1, 2, {"faxIn", "large", "duplexSingle", "monoColor", "5"})
         << counterRow(1, 3, {"report", "small", "duplex", "monoColor", "4"})
         << counterRow(2, 1, {"copy", "small", "simplex", "monoColor", "9"});
    db.exec(fill);
    const auto sql = composeCurrentUsageCountersSql("1");
    ASSERT_TRUE(sql);
    EXPECT_EQ(PeerDatabase::texts(db.reportRows(*sql),
                                  {"job_type", "media_size", "color_mode", "print_mode", "value"}),
              (QStringList{
                  "job_type=Print|media_size=Small|color_mode=Color|print_mode=Simplex|value=60",
                  "job_type=Fax|media_size=Large|color_mode=Mono|print_mode=DuplexSingle|value=5",
                  "job_type=|media_size=Small|color_mode=Mono|print_mode=Duplex|value=4",
              }));
}

TEST_F(DeviceQueries, HostileSelectionValuesChangeNoTable) {
    db.exec(PeerDatabase::identity(1, "10.0.0.1"));
    // A model name travels quoted with its inner quotes doubled: it stays one text value.
    const QString hostile = QStringLiteral("x') ; DELETE FROM Devices; SELECT ('");
    const auto response =
        db.send({QStringLiteral("Select distinct R_DeviceID as DeviceID from DevicePropertyValues "
                                "where r_PropertyID = 8 and value in (%1)")
                     .arg(quotedSqlText(hostile) + "," + quotedSqlText("Model 1"))});
    ASSERT_EQ(response->result(), 0) << response->details().toStdString();
    EXPECT_EQ(PeerDatabase::texts(response->resultSets().value(0).rows, {"DeviceID"}),
              QStringList{"DeviceID=1"});
    // Ids that are not decimal integers compose no statement at all.
    auto params = reportOn(RT_DEVICE_INFO_SUMMARY, "1); DELETE FROM Devices; --");
    EXPECT_TRUE(composeReportSql(params).isEmpty());
    EXPECT_EQ(run(reportOn(RT_DEVICE_LIST, ""), {"DeviceID"}), QStringList{"DeviceID=1"});
}

TEST_F(DeviceQueries, TwentyReportsAtOnceEachGetTheirOwnRows) {
    QStringList fill;
    for (int device = 1; device <= 3; ++device) {
        fill << PeerDatabase::identity(device, QStringLiteral("10.0.0.%1").arg(device))
             << PeerDatabase::value(device, 37, "E") << PeerDatabase::value(device, 38, "N");
    }
    db.exec(fill);
    constexpr int reports = 20;
    std::vector<QStringList> answers(reports);
    std::vector<std::thread> threads;
    for (int id = 0; id < reports; ++id) {
        threads.emplace_back([&, id] {
            auto params = reportOn(id % 2 ? RT_DEVICE_FIRMWARE_INFO : RT_DEVICE_LIST, "1,3");
            params.reportId = id;
            answers[std::size_t(id)] =
                PeerDatabase::texts(db.reportRows(composeReportSql(params)), {"DeviceID"});
        });
    }
    for (auto& thread : threads)
        thread.join();
    for (int id = 0; id < reports; ++id) {
        EXPECT_EQ(answers[std::size_t(id)],
                  id % 2 ? (QStringList{"DeviceID=1", "DeviceID=3"})
                         : (QStringList{"DeviceID=1", "DeviceID=2", "DeviceID=3"}))
            << id;
    }
}
