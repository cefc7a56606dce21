// Alert trend by period on the real velm-peers: alerts counted by kind in the period of their
// own time, per device, per period for charts and per group for summaries.
#include "PeerDatabase.h"
#include "QtPrinters.h"

#include "VELMPluginReportGenerator/queries/ComposeReportSql.h"
#include "VELMPluginReportGenerator/queries/SqlSafety.h"
#include "VELMPluginReportGenerator/registry/ReportTypes.h"
#include "VXNServiceFramework/time/LocalTime.h"

#include <gtest/gtest.h>

using namespace reportRegistry;

namespace {

constexpr int dayInterval = 1;

qint64 at(int d, int h) {
    return localAt(QDate(2008, 3, d), QTime(h, 0)).toSecsSinceEpoch();
}

// One alert row of a stored sample: its code, training level and own time.
QStringList alert(int device, int row, qint64 sampleTime, const QString& code, qint64 alertTime,
                  const QString& training = QStringLiteral("trained")) {
    constexpr int alerts = 30;
    return {PeerDatabase::history(device, alerts, 1, row, sampleTime, code),
            PeerDatabase::history(device, alerts, 4, row, sampleTime, training),
            PeerDatabase::history(device, alerts, 6, row, sampleTime, QString::number(alertTime))};
}

QString group(int id, const QString& name) {
    return QStringLiteral("INSERT INTO Groups (GroupID, Name) VALUES (%1, %2)")
        .arg(id)
        .arg(quotedSqlText(name));
}

QString member(int group, int device) {
    return QStringLiteral("INSERT INTO DeviceInGroup (R_GroupID, R_DeviceID) VALUES (%1, %2)")
        .arg(group)
        .arg(device);
}

class AlertTrendQueries : public ReportScriptTest {
protected:
    void SetUp() override {
        ReportScriptTest::SetUp();
        QStringList fill;
        for (int d = 1; d <= 3; ++d)
            fill << PeerDatabase::identity(d, QStringLiteral("10.0.0.%1").arg(d));
        // Device 2 was a "Model 2" before: grouped by model it counts under both.
        fill << PeerDatabase::value(2, 8, "Model 1").replace("INSERT", "INSERT OR REPLACE")
             << PeerDatabase::history(2, 8, 0, 0, at(1, 12), "Model 2");
        fill << group(1, "Ops \"North\"") << group(2, "South") << member(1, 1) << member(1, 2)
             << member(2, 2) << member(2, 3);
        // Device 1: a jam and an open cover on the 20th; an empty toner cartridge on the 21st,
        // stored only on the 22nd; a jam after the range and a code of no kind.
        fill << alert(1, 1, at(20, 11), "jam", at(20, 10))
             << alert(1, 2, at(20, 13), "coverOpen", at(20, 12))
             << alert(1, 1, at(22, 1), "markerTonerEmpty", at(21, 9))
             << alert(1, 2, at(22, 9), "jam", at(22, 8))
             << alert(1, 3, at(20, 13), "powerUp", at(20, 12));
        // Device 2: two jams in one sample and a motor failure that calls for field service.
        fill << alert(2, 1, at(21, 9), "jam", at(21, 8)) << alert(2, 2, at(21, 9), "jam", at(21, 8))
             << alert(2, 3, at(21, 16), "subunitMotorFailure", at(21, 15), "fieldService");
        // Device 3 has no alerts.
        db.exec(fill);
    }

    ReportQueryParams trend() const {
        return periodReport(33, RT_ALERT_TREND, dayInterval, at(20, 0), at(21, 23) + 59 * 60);
    }
};

const QStringList kinds{"Jam", "SupplyAlert", "DeviceAlert", "ServiceAlert", "Total"};

QStringList columns(const QString& first, bool withPeriod = true) {
    QStringList list{first};
    list << kinds;
    if (withPeriod)
        list << "Period";
    return list;
}

} // namespace

TEST_F(AlertTrendQueries, CountsPerDeviceAndDayByTheAlertsOwnTime) {
    EXPECT_EQ(
        run(trend(), columns("DeviceID")),
        (QStringList{
            "DeviceID=1|Jam=1|SupplyAlert=|DeviceAlert=1|ServiceAlert=|Total=2|Period=2008-03-20",
            "DeviceID=1|Jam=|SupplyAlert=1|DeviceAlert=|ServiceAlert=|Total=1|Period=2008-03-21",
            "DeviceID=2|Jam=|SupplyAlert=|DeviceAlert=|ServiceAlert=|Total=0|Period=2008-03-20",
            "DeviceID=2|Jam=2|SupplyAlert=|DeviceAlert=1|ServiceAlert=1|Total=4|Period=2008-03-21",
            "DeviceID=3|Jam=|SupplyAlert=|DeviceAlert=|ServiceAlert=|Total=0|Period=2008-03-20",
            "DeviceID=3|Jam=|SupplyAlert=|DeviceAlert=|ServiceAlert=|Total=0|Period=2008-03-21"}));
}

TEST_F(AlertTrendQueries, AnAlertStoredAgainWhileItLastsCountsOnce) {
    // Device 3: a jam stored by three samples, the last on the next day, and an open cover
    // stored twice; each is one alert of the period of its own time.
    QStringList fill;
    fill << alert(3, 1, at(20, 11), "jam", at(20, 10)) << alert(3, 1, at(20, 12), "jam", at(20, 10))
         << alert(3, 1, at(21, 9), "jam", at(20, 10))
         << alert(3, 2, at(21, 9), "coverOpen", at(21, 8))
         << alert(3, 1, at(21, 10), "coverOpen", at(21, 8));
    db.exec(fill);
    const QStringList rows =
        run(trend(), columns("DeviceID")).filter(QStringLiteral("DeviceID=3|"));
    EXPECT_EQ(
        rows,
        (QStringList{
            "DeviceID=3|Jam=1|SupplyAlert=|DeviceAlert=|ServiceAlert=|Total=1|Period=2008-03-20",
            "DeviceID=3|Jam=|SupplyAlert=|DeviceAlert=1|ServiceAlert=|Total=1|Period=2008-03-21"}));
}

TEST_F(AlertTrendQueries, ChartsAddTheDevicesUpPerDay) {
    auto p = trend();
    p.chart = true;
    const QStringList chartColumns = kinds + QStringList{"Period"};
    EXPECT_EQ(run(p, chartColumns),
              (QStringList{
                  "Jam=1|SupplyAlert=0|DeviceAlert=1|ServiceAlert=0|Total=2|Period=2008-03-20",
                  "Jam=2|SupplyAlert=1|DeviceAlert=1|ServiceAlert=1|Total=5|Period=2008-03-21"}));
}

TEST_F(AlertTrendQueries, SummariesGroupByDeviceGroupOrByPropertyValue) {
    auto p = trend();
    p.groupBy = GroupBySpec{GroupBySpec::deviceGroups, QStringLiteral("Group")};
    EXPECT_EQ(
        run(p, columns("Group", false)),
        (QStringList{"Group=Ops \"North\"|Jam=3|SupplyAlert=1|DeviceAlert=2|ServiceAlert=1|"
                     "Total=7",
                     "Group=South|Jam=2|SupplyAlert=0|DeviceAlert=1|ServiceAlert=1|Total=4"}));

    // The name stays one column name whatever it holds; this one is no name an answer can
    // carry, so the database refuses the column, not a statement of the name's making.
    p.groupBy->name = QStringLiteral("Group\", (SELECT 1) AS \"y");
    const auto response = db.send(splitSqlStatements(composeReportSql(p)));
    EXPECT_NE(response->result(), 0);
    EXPECT_TRUE(response->details().contains(QStringLiteral("'Group\", (SELECT 1) AS \"y'")))
        << response->details().toStdString();

    p.groupBy = GroupBySpec{8, QStringLiteral("ModelName")};
    EXPECT_EQ(run(p, columns("ModelName", false)),
              (QStringList{"ModelName=Model 1|Jam=3|SupplyAlert=1|DeviceAlert=2|ServiceAlert=1|"
                           "Total=7",
                           "ModelName=Model 2|Jam=2|SupplyAlert=0|DeviceAlert=1|ServiceAlert=1|"
                           "Total=4",
                           "ModelName=Model 3|Jam=0|SupplyAlert=0|DeviceAlert=0|ServiceAlert=0|"
                           "Total=0"}));
}

TEST(AlertTrendScript, AGroupingNameThatWouldSplitTheScriptComposesNothing) {
    ReportQueryParams p;
    p.reportType = RT_ALERT_TREND;
    p.period = dayInterval;
    p.groupBy = GroupBySpec{GroupBySpec::deviceGroups, QStringLiteral("x\"; DROP TABLE Devices")};
    EXPECT_TRUE(composeReportSql(p).isEmpty());
    p.groupBy->name = QStringLiteral("Group");
    EXPECT_FALSE(composeReportSql(p).isEmpty());
}
