#include "ReportGeneratorFixture.h"

#include "VELMPluginReportGenerator/report/ReportResult.h"

#include "VXNServiceFramework/captured_log.h"

#include <QRegularExpression>

#include <gtest/gtest.h>
#include <thread>

namespace {

using Answer = ScriptedReportPeers::DatabaseAnswer;

bool isDeviceList(const QString& query) {
    return query.startsWith(QLatin1String("SELECT D.DeviceId as DeviceID"));
}

bool isFinalSelect(const QString& query) {
    return query.trimmed().startsWith(QLatin1String("SELECT"), Qt::CaseInsensitive);
}

// The device list finds `devices`; the report script's final SELECT finds `rows`.
ScriptedReportPeers::DatabaseScript reportDatabase(QList<DBSRow> devices, QList<DBSRow> rows) {
    return [devices, rows](const QStringList& queries) {
        Answer answer;
        for (const QString& query : queries) {
            DBSResultSet set = ScriptedReportPeers::statement();
            if (isDeviceList(query) || isFinalSelect(query)) {
                set.lastRowId = -1;
                set.rows = isDeviceList(query) ? devices : rows;
            }
            answer.sets.append(set);
        }
        return answer;
    };
}

DBSRow device(const QString& id, const QString& ip) {
    return {{"DeviceID", id}, {"HostName", "h" + id}, {"IP", ip}, {"Serial", "s" + id}};
}

DBSRow alert(const QString& id, const QString& text) {
    return {{"DeviceID", id}, {"AlertText", text}};
}

} // namespace

TEST_F(ReportGeneratorTest, TheIpSortOrdersDevicesAndTheirRowsGoToThem) {
    peers.onDatabase(reportDatabase(
        {device("1", "10.0.0.10"), device("2", "10.0.0.9"), device("3", "")},
        {alert("1", "jam"), alert("2", "door"), alert("1", "toner"), alert("9", "lost")}));
    const int id = start(reportDefinition({{"ReportType", "RT_ALERT_HISTORY"}, {"SortBy", "IP"}},
                                          {{"1", "2", "3", "4"}, {}, {}, {}, {}}));
    EXPECT_EQ(body(id),
              "Body("
              "Device[ID=3](HostName=h3,IP,Serial=s3,Report),"
              "Device[ID=2](HostName=h2,IP=10.0.0.9,Serial=s2,Report(Row(AlertText=door))),"
              "Device[ID=1](HostName=h1,IP=10.0.0.10,Serial=s1,"
              "Report(Row(AlertText=jam),Row(AlertText=toner))))");
    const QString deviceListQuery =
        peers.queries().filter(QRegularExpression("^SELECT D\\.")).value(0);
    EXPECT_TRUE(deviceListQuery.endsWith("WHERE deviceid in (1,2,3,4) ORDER BY IP"))
        << deviceListQuery.toStdString();
}

TEST_F(ReportGeneratorTest, ADeviceNamedTwiceInTheSelectionHasItsRowsOnce) {
    peers.onDatabase(reportDatabase({device("1", "10.0.0.1"), device("2", "10.0.0.2")},
                                    {alert("1", "jam"), alert("2", "door")}));
    const int id =
        start(reportDefinition({{"ReportType", "RT_ALERT_HISTORY"}, {"SortBy", "HostName"}},
                               {{"1", "2", "01", "1"}, {}, {}, {}, {}}));
    EXPECT_EQ(body(id).toStdString(),
              "Body("
              "Device[ID=1](HostName=h1,IP=10.0.0.1,Serial=s1,Report(Row(AlertText=jam))),"
              "Device[ID=2](HostName=h2,IP=10.0.0.2,Serial=s2,Report(Row(AlertText=door))))");
    EXPECT_TRUE(peers.queries()
                    .filter(QRegularExpression("^SELECT D\\."))
                    .value(0)
                    .contains("WHERE deviceid in (1,2) ORDER BY HostName"));
}

TEST_F(ReportGeneratorTest, SortKeysMapToColumnsAndOtherSortTextsSendNoDeviceList) {
    peers.onDatabase(reportDatabase({device("1", "10.0.0.1")}, {alert("1", "jam")}));
    const int byName =
        start(reportDefinition({{"ReportType", "RT_ALERT_HISTORY"}, {"SortBy", "SB_DEVICE_NAME"}},
                               {{"1"}, {}, {}, {}, {}}));
    EXPECT_EQ(waitForEnd(byName)->reportStatus, "100");
    EXPECT_TRUE(peers.queries()
                    .filter(QRegularExpression("^SELECT D\\."))
                    .value(0)
                    .endsWith("ORDER BY HostName"));

    for (const QString& hostile : {QStringLiteral("HostName; DROP TABLE Devices"),
                                   QStringLiteral("(SELECT 1)"), QStringLiteral("")}) {
        const qsizetype before = peers.queries().size();
        const int id = start(reportDefinition(
            {{"ReportType", "RT_ALERT_HISTORY"}, {"SortBy", hostile}}, {{"1"}, {}, {}, {}, {}}));
        EXPECT_EQ(waitForEnd(id)->result(), ReportResult::GenerationFailed);
        const QStringList sent = peers.queries().mid(before);
        EXPECT_TRUE(sent.filter(QRegularExpression("^SELECT D\\.")).isEmpty());
    }
}

TEST_F(ReportGeneratorTest, SelectionIdsThatAreNotIntegersSendNoStatementAtAll) {
    peers.onDatabase(reportDatabase({device("1", "")}, {alert("1", "jam")}));
    const ReportSelection hostile[] = {
        {{"1", "2); DROP TABLE Devices; --"}, {}, {}, {}, {}},
        {{}, {"2 OR 1=1"}, {}, {}, {}},
        {{}, {}, {}, {"3a"}, {}},
    };
    for (const ReportSelection& selection : hostile) {
        const int id =
            start(reportDefinition({{"ReportType", "RT_DEVICE_INFO_SUMMARY"}}, selection));
        const auto answer = waitForEnd(id);
        EXPECT_EQ(answer->result(), ReportResult::GenerationFailed);
        EXPECT_EQ(answer->details(), ReportResult::generationFailedText);
    }
    EXPECT_TRUE(peers.queries().isEmpty()) << peers.queries().join("\n").toStdString();
}

TEST_F(ReportGeneratorTest, AReportTypeThatNamesNoTypeEndsAtOnceWith109) {
    const int id = start(reportDefinition({{"ReportType", "rt_device_list"}}));
    EXPECT_EQ(waitForEnd(id)->result(), ReportResult::GenerationFailed);
    EXPECT_TRUE(peers.recorder().calls().empty());
}

TEST_F(ReportGeneratorTest, ModelsAreQuotedForTheDatabaseAndShownAsWritten) {
    peers.onDatabase([](const QStringList& queries) {
        if (queries.first().contains(QLatin1String("r_PropertyID = 8")))
            return Answer{{ScriptedReportPeers::rows({{{"DeviceID", "4"}}})}};
        return reportDatabase({}, {{{"R_DeviceID", "4"},
                                    {"PropName", "Status"},
                                    {"PropColumnName", "Value"},
                                    {"Value", "ok"}}})(queries);
    });
    const int id = start(reportDefinition({{"ReportType", "RT_DEVICE_INFO_SUMMARY"}},
                                          {{}, {}, {"O'Brien 5", "X"}, {}, {}}));
    EXPECT_TRUE(peers.queries().first().endsWith("value in ('O''Brien 5','X')"))
        << peers.queries().first().toStdString();
    EXPECT_TRUE(info(id).endsWith("Selection(Model='O'Brien 5',Model='X'))"))
        << info(id).toStdString();
    EXPECT_EQ(body(id), "Body(Device[ID=4](Status=ok))");
}

TEST_F(ReportGeneratorTest, GroupSelectionsShowTheGroupNames) {
    peers.onDatabase([](const QStringList& queries) {
        if (queries.first().contains(QLatin1String("DeviceInGroup")))
            return Answer{{ScriptedReportPeers::rows({{{"DeviceID", "4"}}, {{"DeviceID", ""}}})}};
        if (queries.first().startsWith(QLatin1String("SELECT Name FROM Groups")))
            return Answer{
                {ScriptedReportPeers::rows({{{"Name", "Floor 1"}}, {{"Name", "Floor 2"}}})}};
        return reportDatabase({}, {{{"R_DeviceID", "4"},
                                    {"PropName", "Status"},
                                    {"PropColumnName", "Value"},
                                    {"Value", "ok"}}})(queries);
    });
    const int id =
        start(reportDefinition({{"ReportType", "RT_DEVICE_INFO_SUMMARY"}, {"SortBy", "IP"}},
                               {{}, {"3", "5"}, {}, {}, {}}));
    EXPECT_TRUE(info(id).endsWith("SortBy=IP,Selection(Group=Floor 1,Group=Floor 2))"))
        << info(id).toStdString();
    EXPECT_TRUE(peers.queries().contains("SELECT Name FROM Groups WHERE GroupID in (3,5)"));
    EXPECT_EQ(body(id), "Body(Device[ID=4](Status=ok))");
}

TEST_F(ReportGeneratorTest, DevicePropertiesHoldTablesByRowIndexAndSkipNamesTheDocumentRejects) {
    auto cell = [](QString device, QString name, QString column, QString row, QString value) {
        return DBSRow{{"R_DeviceID", device},
                      {"PropName", name},
                      {"PropColumnName", column},
                      {"RowIndex", row},
                      {"Value", value}};
    };
    peers.onDatabase(reportDatabase(
        {},
        {cell("1", "SupplyInfos", "Level", "1", "80"), cell("1", "HostName", "Value", "0", "p1"),
         cell("1", "SupplyInfos", "Color", "1", "black"),
         cell("1", "SupplyInfos", "Level", "2", "5"), cell("1", "1bad", "Value", "0", "x"),
         cell("1", "Trays", "bad name", "1", "y"), cell("2", "HostName", "Value", "0", "p2"),
         DBSRow{{"R_DeviceID", "2"}, {"PropName", "NoColumn"}, {"Value", "z"}}}));
    testing::internal::CaptureStderr();
    const int id = start(reportDefinition({{"ReportType", "RT_DEVICE_INFO_SUMMARY"}},
                                          {{"1", "2", "3"}, {}, {}, {}, {}}));
    const QString built = body(id);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(built, "Body("
                     "Device[ID=1](HostName=p1,"
                     "SupplyInfos(RowIndex[ID=1](Level=80,Color=black),RowIndex[ID=2](Level=5)),"
                     "Trays(RowIndex[ID=1])),"
                     "Device[ID=2](HostName=p2),"
                     "Device[ID=3])");
    EXPECT_NE(errors.find("DOMException code is:  5\n"), std::string::npos) << errors;
    EXPECT_EQ(waitForEnd(id)->result(), 0);
}

// A table property goes below the first element of its name in document order, wherever the
// rows made it: a column element made later in an earlier branch comes before one made earlier
// in a later branch.
TEST_F(ReportGeneratorTest, ATablePropertyGoesBelowTheFirstElementOfItsNameInDocumentOrder) {
    auto cell = [](QString name, QString column, QString row, QString value) {
        return DBSRow{{"R_DeviceID", "1"},
                      {"PropName", name},
                      {"PropColumnName", column},
                      {"RowIndex", row},
                      {"Value", value}};
    };
    peers.onDatabase(
        reportDatabase({}, {cell("Alpha", "c1", "1", "a"), cell("Gamma", "Delta", "1", "late"),
                            cell("Alpha", "Delta", "1", "early"), cell("Delta", "z", "7", "v")}));
    const int id = start(
        reportDefinition({{"ReportType", "RT_DEVICE_INFO_SUMMARY"}}, {{"1"}, {}, {}, {}, {}}));
    EXPECT_EQ(body(id), "Body(Device[ID=1]("
                        "Alpha(RowIndex[ID=1](c1=a,Delta(RowIndex[ID=7](z=v)))),"
                        "Gamma(RowIndex[ID=1](Delta=late))))");
}

TEST_F(ReportGeneratorTest, TheFirstEmptyResultSetStopsTheReportWith110) {
    peers.onDatabase([](const QStringList& queries) {
        Answer answer;
        for (qsizetype i = 0; i < queries.size(); ++i)
            answer.sets.append(i == 0 ? ScriptedReportPeers::rows({})
                                      : ScriptedReportPeers::rows({{{"DeviceID", "1"}}}));
        return answer;
    });
    const int id =
        start(reportDefinition({{"ReportType", "RT_DEVICE_LIST"}}, {{"1"}, {}, {}, {}, {}}));
    EXPECT_EQ(waitForEnd(id)->result(), ReportResult::NoData);
}

// A database that cannot tell the devices of the selection (a peer down for longer than the
// retries) would leave the report with none, ending as an empty success that a template mails.
TEST_F(ReportGeneratorTest, ASelectionWhoseDevicesCannotBeReadFailsWith109AndSendsNoScript) {
    peers.onDatabase([](const QStringList&) { return ScriptedReportPeers::failure(); });
    for (const ReportSelection& selection :
         {ReportSelection{}, ReportSelection{{}, {"2"}, {}, {}, {}},
          ReportSelection{{}, {}, {"X"}, {}, {}}}) {
        CapturedLog log;
        const qsizetype before = peers.queries().size();
        const int id = start(reportDefinition(
            {{"ReportType", "RT_USAGE_TOTAL_PAGES"}, {"ReportFormat", "TABLE"}}, selection));
        EXPECT_EQ(waitForEnd(id)->result(), ReportResult::GenerationFailed);
        // The selection's query, and for groups their names; never the report's script.
        EXPECT_TRUE(peers.queries().mid(before).filter("TEMP").isEmpty())
            << peers.queries().mid(before).join('\n').toStdString();
        EXPECT_EQ(log.lines()
                      .filter(QStringLiteral("the devices of the selection could not be read: 1 "
                                             "SQL error; no report query sent"))
                      .size(),
                  1)
            << log.lines().join('\n').toStdString();
    }
}

TEST_F(ReportGeneratorTest, AFailedQueryRecords109AndTheDeviceListDoesNotStopTheRowReport) {
    peers.onDatabase([&](const QStringList& queries) {
        // The device list fails; the report script answers rows.
        if (isDeviceList(queries.first()))
            return ScriptedReportPeers::failure();
        return reportDatabase({}, {alert("1", "jam")})(queries);
    });
    const int id = start(reportDefinition({{"ReportType", "RT_ALERT_HISTORY"}, {"SortBy", "IP"}},
                                          {{"1"}, {}, {}, {}, {}}));
    EXPECT_EQ(waitForEnd(id)->result(), ReportResult::GenerationFailed);
    // The failure is visible before the row report sends its script: wait for that call.
    for (int i = 0; i < 5000 && peers.recorder().calls().size() < 2u; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_GE(peers.recorder().calls().size(), 2u);
}

TEST_F(ReportGeneratorTest, CounterTablesWriteTheirColumnsAndChartsFailWithoutAChartMaker) {
    peers.onDatabase(reportDatabase({}, {{{"Period", "2008-01"}, {"Color_Counter", "3"}}}));
    const int table = start(reportDefinition(
        {{"ReportType", "RT_USAGE_COLOR_MONO"}, {"ReportFormat", "TaBlE"}, {"IsSummary", "Yes"}},
        {{"1"}, {}, {}, {}, {}}));
    EXPECT_TRUE(
        body(table).startsWith("Body(Columns(Column[field=Color_Counter,label=#I18N_COLOR#],"
                               "Column[field=Mono_Counter,label=#I18N_MONO#])"))
        << body(table).toStdString();
    const int chart = start(reportDefinition(
        {{"ReportType", "RT_ALERT_TREND"}, {"ReportFormat", "Chart"}}, {{"1"}, {}, {}, {}, {}}));
    const auto answer = waitForEnd(chart);
    EXPECT_TRUE(answer->result() == ReportResult::ChartFailed ||
                answer->result() == ReportResult::GenerationFailed);
}
