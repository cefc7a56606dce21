#include "TextTable.h"
#include "support/ScriptedHttpPeer.h"
#include "support/TestInstallation.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include <csignal>

namespace {

QByteArray utf16le(const QString& text) {
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

ScriptedHttpPeer::Reply answer(const QString& content) {
    return ScriptedHttpPeer::ok(utf16le(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?>"
                                                       "<VXNResponse>") +
                                        content + QStringLiteral("</VXNResponse>")));
}

// The requests of the report verbs go out in UTF-16.
QString bodyText(const ScriptedHttpPeer::Request& request) {
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(request.body.constData()),
                              request.body.size() / 2);
}

struct Outcome {
    int exitCode = -1;
    QString out;
    QString err;
};

Outcome velmctl(const ScriptedHttpPeer& peer, QStringList arguments) {
    arguments.prepend(peer.url().toString());
    arguments.prepend(QStringLiteral("--url"));
    QProcess process;
    process.start(QStringLiteral(VELM_BINARY_DIR "/bin/velmctl"), arguments);
    EXPECT_TRUE(process.waitForFinished(30000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

TEST(TextTable, AlignsColumnsAndKeepsEveryRowOnOneLine) {
    TextTable table;
    table.addRow({{"ID", "1"}, {"Name", "front\ndesk"}});
    table.addRow({{"Name", "b"}, {"IP", "10.0.0.10"}});
    EXPECT_EQ(table.format(QStringLiteral("  ")), "  ID  Name        IP\n"
                                                  "  --  ----------  ---------\n"
                                                  "   1  front desk\n"
                                                  "      b           10.0.0.10\n");
}

TEST(TextTable, AlignsColumnsOfNumbersRight) {
    TextTable table;
    table.columns = QStringList{"Counter", "Pages", "Share", "Serial", "Note"};
    table.rows = {{"Mono", "7", "0.5", "0042", ""},
                  {"Color", "", "-12.25", "X17", ""},
                  {"Total", "1234", "+3", "9", ""}};
    // A blank among numbers keeps the column numeric; one text makes it a column of texts, and
    // a column of blanks alone is none of numbers.
    EXPECT_EQ(table.format(), "Counter  Pages   Share  Serial  Note\n"
                              "-------  -----  ------  ------  ----\n"
                              "Mono         7     0.5  0042\n"
                              "Color           -12.25  X17\n"
                              "Total     1234      +3  9\n");
}

TEST(TextTable, AlignsByTheColumnsATerminalShowsAndPrintsNoControlCharacters) {
    TextTable table;
    // A decomposed umlaut (u and a combining diaeresis) takes one column, each ideograph two.
    table.addRow({{"Location", QString::fromUtf8("Mu\u0308nchen")}, {"IP", "10.0.0.1"}});
    table.addRow({{"Location", QString::fromUtf8("\u6771\u4EAC")}, {"IP", "10.0.0.2"}});
    // An escape sequence from a device would recolour the terminal; a right-to-left override
    // would reverse the rest of the line.
    table.addRow({{"Location", QString::fromUtf8("\x1b[31mred\u202E")}, {"IP", "10.0.0.3"}});
    EXPECT_EQ(table.format(), QString::fromUtf8("Location   IP\n"
                                                "---------  --------\n"
                                                "Mu\u0308nchen    10.0.0.1\n"
                                                "\u6771\u4EAC       10.0.0.2\n"
                                                " [31mred   10.0.0.3\n"));
}

TEST(VelmctlReport, GenerateWaitsShowsProgressAndPrintsTheRows) {
    ScriptedHttpPeer peer;
    peer.enqueue(answer("<Result>0</Result><Details>OK</Details><Report ID=\"7\"/>"));
    peer.enqueue(answer("<Result>0</Result><Details>OK</Details><ReportStatus>40</ReportStatus>"
                        "<IsEmail>7</IsEmail>"));
    peer.enqueue(answer("<Result>0</Result><Details>OK</Details><ReportStatus>100</ReportStatus>"
                        "<IsEmail>7</IsEmail>"));
    peer.enqueue(answer("<Result>0</Result><Details>OK</Details><Info/><Body>"
                        "<Device ID=\"3\"><HostName>p3</HostName><Report>"
                        "<Row><AlertText>jam</AlertText><Time>5</Time></Row></Report></Device>"
                        "</Body>"));
    const Outcome run =
        velmctl(peer, {"report", "generate", "--type", "RT_ALERT_HISTORY", "--device", "3",
                       "--device", "4", "--sort-by", "IP", "--wait"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    // Progress goes to standard error: redirected output holds the rows alone.
    EXPECT_EQ(run.err, "Progress: 40%\nProgress: 100%\n");
    EXPECT_EQ(run.out, "Report 7\n"
                       "Device 3\n  HostName: p3\n"
                       "    AlertText  Time\n    ---------  ----\n    jam           5\n");
    ASSERT_TRUE(peer.waitForRequests(4));
    const auto requests = peer.requests();
    EXPECT_EQ(requests[0].target, "RGPGenerateReport");
    const QString generate = bodyText(requests[0]);
    EXPECT_TRUE(generate.contains("<ReportType>RT_ALERT_HISTORY</ReportType>"))
        << generate.toStdString();
    EXPECT_TRUE(
        generate.contains("<Selection><DeviceID>3</DeviceID><DeviceID>4</DeviceID></Selection>"));
    EXPECT_EQ(requests[3].target, "RGPGetReportResults");
}

TEST(VelmctlReport, GenerateSendsTheOrderAndTheFormatAsTheServiceReadsThem) {
    // A job accounting report refuses a device list column as its order: it has keys of its own.
    const QList<QPair<QStringList, QString>> cases{
        {{"--type", "RT_ALERT_HISTORY"}, "<SortBy>IP</SortBy>"},
        {{"--type", "RT_ALERT_HISTORY", "--sort-by", "Serial"}, "<SortBy>Serial</SortBy>"},
        {{"--type", "RT_JAC_USER_BASIC"}, ""},
        {{"--type", "RT_JAC_USER_BASIC", "--sort-by", "SB_USER_LOGIN"},
         "<SortBy>SB_USER_LOGIN</SortBy>"},
        // The service tells a chart's query by the spelling "Chart"; a user may write any case.
        {{"--type", "RT_USAGE_COLOR_MONO", "--format", "chart"},
         "<ReportFormat>Chart</ReportFormat>"}};
    for (const auto& [options, sortBy] : cases) {
        SCOPED_TRACE(options.join(' ').toStdString());
        ScriptedHttpPeer peer;
        peer.enqueue(answer("<Result>0</Result><Details>OK</Details><Report ID=\"1\"/>"));
        const Outcome run = velmctl(peer, QStringList{"report", "generate"} + options);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        ASSERT_TRUE(peer.waitForRequests(1));
        const QString generate = bodyText(peer.requests().at(0));
        if (sortBy.isEmpty())
            EXPECT_FALSE(generate.contains("SortBy")) << generate.toStdString();
        else
            EXPECT_TRUE(generate.contains(sortBy)) << generate.toStdString();
    }
}

TEST(VelmctlReport, ResultsShowTheDeviceFirstAndCountersInTheReportsColumnOrder) {
    // The report holds a row's columns alphabetically.
    const QList<QPair<QString, QString>> cases{
        {"<Columns><Column field=\"Mono_Counter\" label=\"#I18N_MONO#\"/>"
         "<Column field=\"Color_Counter\" label=\"#I18N_COLOR#\"/></Columns>"
         "<Report><Row><Color_Counter>5</Color_Counter><DeviceID>1</DeviceID><IP>10.0.0.1</IP>"
         "<Mono_Counter>7</Mono_Counter><Total>12</Total></Row></Report>",
         "DeviceID  IP        Mono_Counter  Color_Counter  Total\n"
         "--------  --------  ------------  -------------  -----\n"
         "       1  10.0.0.1             7              5     12\n"},
        {"<Report><Row><Copy_Counter>3</Copy_Counter><IP>10.0.0.9</IP><deviceid>9</deviceid>"
         "</Row></Report>",
         "deviceid  Copy_Counter  IP\n"
         "--------  ------------  --------\n"
         "       9             3  10.0.0.9\n"}};
    for (const auto& [body, shown] : cases) {
        ScriptedHttpPeer peer;
        peer.enqueue(
            answer("<Result>0</Result><Details>OK</Details><Info/><Body>" + body + "</Body>"));
        const Outcome run = velmctl(peer, {"report", "results", "4"});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(run.out, shown);
    }
}

TEST(VelmctlReport, AnAlertTrendSummaryWithoutGroupingIsRefusedBeforeAnythingIsSent) {
    ScriptedHttpPeer peer;
    peer.enqueue(answer("<Result>0</Result><Details>OK</Details><Report ID=\"1\"/>"));
    const Outcome refused =
        velmctl(peer, {"report", "generate", "--type", "RT_ALERT_TREND", "--summary"});
    EXPECT_EQ(refused.exitCode, 64);
    EXPECT_TRUE(refused.err.contains("--group-by")) << refused.err.toStdString();
    EXPECT_TRUE(peer.requests().empty());
    const Outcome sent = velmctl(peer, {"report", "generate", "--type", "RT_ALERT_TREND",
                                        "--summary", "--group-by", "Group"});
    EXPECT_EQ(sent.exitCode, 0) << sent.err.toStdString();
    ASSERT_TRUE(peer.waitForRequests(1));
}

// The range belongs to P_CUSTOM alone; the service would drop it for any other period, and
// read a missing end as 1970.
TEST(VelmctlReport, APeriodAndItsRangeAreCheckedBeforeAnythingIsSent) {
    ScriptedHttpPeer peer;
    const QStringList report{"report", "generate", "--type", "RT_ALERT_HISTORY"};
    const QList<QPair<QStringList, QString>> refused{
        {{"--period", "P_CUSTOM"}, "--period P_CUSTOM needs both --from and --to"},
        {{"--period", "P_CUSTOM", "--from", "2026-11-01T00:00"}, "needs both --from and --to"},
        {{"--to", "2026-11-01T00:00"}, "needs both --from and --to"},
        {{"--period", "P_LAST_WEEK", "--from", "2026-11-01T00:00", "--to", "2026-12-01T00:00"},
         "P_LAST_WEEK brings its own"},
        {{"--period", "P_CUSTOM", "--from", "2026-12-01T00:00", "--to", "2026-11-01T00:00"},
         "--from 2026-12-01T00:00 is later than --to 2026-11-01T00:00"}};
    for (const auto& [options, message] : refused) {
        SCOPED_TRACE(options.join(' ').toStdString());
        const Outcome run = velmctl(peer, report + options);
        EXPECT_EQ(run.exitCode, 64);
        EXPECT_TRUE(run.err.contains(message)) << run.err.toStdString();
    }
    EXPECT_FALSE(peer.waitForRequests(1, 300));

    peer.enqueue(answer("<Result>0</Result><Details>OK</Details><Report ID=\"1\"/>"));
    const Outcome sent =
        velmctl(peer, report + QStringList{"--period", "P_CUSTOM", "--from", "100", "--to", "200"});
    EXPECT_EQ(sent.exitCode, 0) << sent.err.toStdString();
    ASSERT_TRUE(peer.waitForRequests(1));
    const QString generate = bodyText(peer.requests().at(0));
    EXPECT_TRUE(generate.contains("<From>100</From>")) << generate.toStdString();
    EXPECT_TRUE(generate.contains("<To>200</To>")) << generate.toStdString();
}

// Without a format a counter report would be drawn as one chart of every device's periods in
// a row: velmctl asks for a table, or for the chart over the periods when a chart type is named.
// Export formats are checked and sent as the service spells them.
TEST(VelmctlReport, FormatsAreTheOnesTheServiceTellsApart) {
    ScriptedHttpPeer peer;
    const QStringList usage{"report",     "generate", "--type",   "RT_USAGE_COLOR_MONO",
                            "--interval", "I_DAY",    "--period", "P_LAST_WEEK"};
    const QList<QPair<QStringList, QString>> formats{
        {{}, "<ReportFormat>TABLE</ReportFormat>"},
        {{"--chart-type", "CT_LINE"}, "<ReportFormat>Chart</ReportFormat>"},
        {{"--chart-type", "CT_LINE", "--format", "table"}, "<ReportFormat>TABLE</ReportFormat>"},
        {{"--format", "chart"}, "<ReportFormat>Chart</ReportFormat>"}};
    for (const auto& [options, sent] : formats) {
        SCOPED_TRACE(options.join(' ').toStdString());
        peer.enqueue(answer("<Result>0</Result><Details>OK</Details><Report ID=\"1\"/>"));
        const qsizetype before = peer.requests().size();
        EXPECT_EQ(velmctl(peer, usage + options).exitCode, 0);
        ASSERT_TRUE(peer.waitForRequests(int(before) + 1));
        EXPECT_TRUE(bodyText(peer.requests().back()).contains(sent))
            << bodyText(peer.requests().back()).toStdString();
    }

    const qsizetype sentSoFar = peer.requests().size();
    for (const char* wrong : {"PDF", "htmlx", ""}) {
        const Outcome run = velmctl(peer, {"report", "export", "0", "--format", wrong});
        EXPECT_EQ(run.exitCode, 64) << wrong;
        EXPECT_TRUE(run.err.contains("--format must be one of CSV, HTML, HTM, XML"))
            << run.err.toStdString();
    }
    EXPECT_FALSE(peer.waitForRequests(int(sentSoFar) + 1, 300));
    peer.enqueue(answer("<Result>0</Result><Details>OK</Details><FilePath>temp/a.htm</FilePath>"));
    EXPECT_EQ(velmctl(peer, {"report", "export", "0", "--format", "html"}).exitCode, 0);
    ASSERT_TRUE(peer.waitForRequests(int(sentSoFar) + 1));
    EXPECT_TRUE(bodyText(peer.requests().back()).contains("<FileFormat>HTML</FileFormat>"))
        << bodyText(peer.requests().back()).toStdString();
}

// A recipient without an address would be refused by the mail server only after the report
// was exported; velmctl refuses it before anything is sent.
TEST(VelmctlReport, RecipientsAreMailAddresses) {
    ScriptedHttpPeer peer;
    for (const char* wrong : {"ops", "ops@", "Jane <jd>", "a b@c.d", "\"x@y\" <nobody>"}) {
        const Outcome run = velmctl(peer, {"report", "mail", "0", "--to", wrong});
        EXPECT_EQ(run.exitCode, 64) << wrong;
        EXPECT_TRUE(run.err.contains("is no mail address")) << run.err.toStdString();
    }
    EXPECT_FALSE(peer.waitForRequests(1, 300));
    peer.enqueue(answer("<Result>0</Result><Details>OK</Details>"));
    peer.enqueue(answer("<Result>0</Result><Details>OK</Details><Info/><Body/>")); // no chart
    const Outcome sent = velmctl(peer, {"report", "mail", "0", "--to", "Jane Doe <jd@example.com>",
                                        "--to", "ops@example.com", "--format", "csv"});
    EXPECT_EQ(sent.exitCode, 0) << sent.err.toStdString();
    ASSERT_TRUE(peer.waitForRequests(1));
    EXPECT_TRUE(bodyText(peer.requests().at(0)).contains(">CSV<"))
        << bodyText(peer.requests().at(0)).toStdString();
}

// The service answers a device it does not know with no counters, as if it had reported
// nothing yet; velmctl says so instead of printing an empty table.
TEST(VelmctlReport, CountersOfADeviceWithoutAnyAreAFailure) {
    ScriptedHttpPeer peer;
    peer.enqueue(answer("<Result>0</Result><Details>OK</Details><DeviceID>999</DeviceID>"
                        "<UsageCounters/>"));
    const Outcome none = velmctl(peer, {"report", "counters", "999"});
    EXPECT_EQ(none.exitCode, 3);
    EXPECT_TRUE(none.err.contains("device 999 has no current counters")) << none.err.toStdString();
    EXPECT_TRUE(none.out.isEmpty()) << none.out.toStdString();

    peer.enqueue(answer("<Result>0</Result><Details>OK</Details><DeviceID>3</DeviceID>"
                        "<UsageCounters><UsageCounter><Descriptor><JobType>print</JobType>"
                        "<ColorMode>monoColor</ColorMode><PageSize>small</PageSize><PrintMode>"
                        "simplex</PrintMode></Descriptor><Value>1234</Value></UsageCounter>"
                        "</UsageCounters>"));
    const Outcome some = velmctl(peer, {"report", "counters", "3"});
    EXPECT_EQ(some.exitCode, 0) << some.err.toStdString();
    EXPECT_TRUE(some.out.contains("print    monoColor  small     simplex     1234"))
        << some.out.toStdString();
}

// Ctrl-C ends the wait, not the report: velmctl says how to follow or stop it.
TEST(VelmctlReport, AnInterruptedWaitNamesTheReportThatKeepsRunning) {
    ScriptedHttpPeer peer;
    peer.enqueue(answer("<Result>0</Result><Details>OK</Details><Report ID=\"40\"/>"));
    peer.setResponder([](const ScriptedHttpPeer::Request&) {
        return answer("<Result>0</Result><Details>OK</Details><ReportStatus>40</ReportStatus>"
                      "<IsEmail>40</IsEmail>");
    });
    QProcess process;
    process.setReadChannel(QProcess::StandardError); // where the progress goes
    process.start(QStringLiteral(VELM_BINARY_DIR "/bin/velmctl"),
                  {"--url", peer.url().toString(), "report", "generate", "--type", "RT_DEVICE_LIST",
                   "--wait"});
    QByteArray err;
    while (!err.contains("Progress: 40%") && process.waitForReadyRead(10000))
        err += process.readAllStandardError();
    ASSERT_TRUE(err.contains("Progress: 40%")) << err.constData();
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(10000));
    err += process.readAllStandardError();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 130);
    const QString url = peer.url().toString();
    EXPECT_TRUE(err.contains(("velmctl: report 40 keeps running: velmctl --url " + url +
                              " report status 40 follows it, velmctl --url " + url +
                              " report cancel 40 stops it\n")
                                 .toUtf8()))
        << err.constData();
    EXPECT_EQ(process.readAllStandardOutput(), "Report 40\n");
}

TEST(VelmctlReport, AFailedReportPrintsItsErrorAndEndsWithCode3) {
    ScriptedHttpPeer peer;
    peer.enqueue(
        answer("<Result>110</Result><Details>No available data for report generation.</Details>"
               "<ReportStatus/><IsEmail/>"));
    const Outcome run = velmctl(peer, {"report", "status", "5"});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_TRUE(run.err.contains("No available data for report generation. (Result 110)"))
        << run.err.toStdString();
    EXPECT_EQ(velmctl(peer, {"report", "status"}).exitCode, 64);
    EXPECT_EQ(velmctl(peer, {"report", "frobnicate"}).exitCode, 64);
}

TEST(VelmctlReport, RowsItCannotReadPointToTheExportInstead) {
    // What a report too large for a document here looks like to velmctl: an unreadable answer.
    ScriptedHttpPeer peer;
    peer.enqueue(ScriptedHttpPeer::ok(utf16le(QStringLiteral("<VXNResponse><Result>0"))));
    const Outcome run = velmctl(peer, {"report", "results", "7"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains("the rows of report 7 could not be read here"))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("velmctl report export 7 --format CSV")) << run.err.toStdString();
}

TEST(VelmctlReport, ExportPrintsThePathAndWhereTheFileLiesHere) {
    TestInstallation installation; // velmctl inherits its settings
    ASSERT_TRUE(QDir().mkpath(installation.path() + "/html/temp/1"));
    QFile exported(installation.path() + "/html/temp/1/Report_20080131_090451.htm");
    ASSERT_TRUE(exported.open(QIODevice::WriteOnly));
    exported.close();
    ScriptedHttpPeer peer;
    peer.enqueue(answer("<Result>0</Result><Details>OK</Details>"
                        "<FilePath>temp/1/Report_20080131_090451.htm</FilePath>"));
    const Outcome run =
        velmctl(peer, {"report", "export", "4", "--format", "HTML", "--locale", "de"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "File: temp/1/Report_20080131_090451.htm\nFull path: " +
                           installation.path() + "/html/temp/1/Report_20080131_090451.htm\n");
    ASSERT_TRUE(peer.waitForRequests(1));
    const auto request = peer.requests().at(0);
    EXPECT_EQ(request.target, "RGPExportReport");
    const QString body = bodyText(request);
    EXPECT_TRUE(
        body.contains("<Report ID=\"4\"></Report><FileFormat>HTML</FileFormat><Locale>de</Locale>"))
        << body.toStdString();
}

TEST(VelmctlReport, AnExportWithoutUploadedFileOrFormatFails) {
    ScriptedHttpPeer peer;
    peer.enqueue(answer("<Result>0</Result><Details>OK</Details><FilePath/>"));
    const Outcome run = velmctl(peer, {"report", "export", "4", "--format", "CSV"});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_TRUE(run.err.contains("did not take the file")) << run.err.toStdString();
    EXPECT_EQ(velmctl(peer, {"report", "export", "4"}).exitCode, 64);
}

TEST(VelmctlReport, ATypeIsTakenInAnyCaseAndANearMissIsNamed) {
    ScriptedHttpPeer peer;
    const Outcome refused = velmctl(peer, {"report", "generate", "--type", "RT_DEVICELIST"});
    EXPECT_EQ(refused.exitCode, 64);
    EXPECT_EQ(refused.err, "velmctl: --type \"RT_DEVICELIST\" is no report type; did you mean "
                           "RT_DEVICE_LIST? (velmctl report types lists them all)\n");
    EXPECT_FALSE(peer.waitForRequests(1, 300));

    peer.enqueue(answer("<Result>0</Result><Details>OK</Details><Report ID=\"1\"/>"));
    const Outcome sent = velmctl(peer, {"report", "generate", "--type", "rt_alert_history"});
    EXPECT_EQ(sent.exitCode, 0) << sent.err.toStdString();
    ASSERT_TRUE(peer.waitForRequests(1));
    const QString generate = bodyText(peer.requests().at(0));
    // The service knows the types by their exact spelling.
    EXPECT_TRUE(generate.contains("<ReportType>RT_ALERT_HISTORY</ReportType>"))
        << generate.toStdString();
    EXPECT_TRUE(generate.contains("<SortBy>IP</SortBy>")) << generate.toStdString();
}

// The categories hold entries of a user interface (RT_JAC_BASIC, RT_SEPARATOR) that are no
// report types; velmctl names the types that are, and sends nothing for the others.
TEST(VelmctlReport, ACategoryEntryThatIsNoTypeIsRefusedNamingTheTypes) {
    ScriptedHttpPeer peer;
    const Outcome refused = velmctl(peer, {"report", "generate", "--type", "RT_JAC_BASIC"});
    EXPECT_EQ(refused.exitCode, 64);
    EXPECT_TRUE(refused.err.contains("RT_JAC_USER_BASIC")) << refused.err.toStdString();
    const Outcome types = velmctl(peer, {"report", "types"});
    EXPECT_EQ(types.exitCode, 0) << types.err.toStdString();
    const QStringList listed = types.out.trimmed().split('\n');
    EXPECT_EQ(listed.size(), 27);
    EXPECT_EQ(listed.value(0), "RT_USAGE_COLOR_MONO");
    EXPECT_TRUE(listed.contains("RT_JAC_DEVICE_SCAN_DETAILS"));
    EXPECT_FALSE(listed.contains("RT_SEPARATOR"));
    EXPECT_FALSE(peer.waitForRequests(1, 300));
}
