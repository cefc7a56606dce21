// velmctl's verbs as a user runs them: against velm-report and velm-peers on a small fleet, and
// against a scripted peer where only what is sent matters.
#include "support/ChildProcess.h"
#include "support/ScriptedHttpPeer.h"

#include "VelmVersion.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <gtest/gtest.h>

namespace {

struct Outcome {
    int exitCode = -1;
    QString out;
    QString err;
};

Outcome velmctl(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(VELM_BINARY_DIR "/bin/velmctl"), arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

class VelmctlAgainstTheService : public testing::Test {
protected:
    static void SetUpTestSuite() {
        fleetDir = std::make_unique<QTemporaryDir>();
        QProcess generator;
        generator.start(
            QStringLiteral(VELM_BINARY_DIR "/bin/velm-peers"),
            {"--db", fleetDir->filePath("fleet.db"), "--generate-fleet", "4", "--days", "2"});
        generator.waitForFinished(120000);
    }
    static void TearDownTestSuite() { fleetDir.reset(); }

    void SetUp() override {
        ASSERT_TRUE(QFile::copy(fleetDir->filePath("fleet.db"), dir.filePath("fleet.db")));
        ASSERT_TRUE(peers.startPeers(dir.filePath("fleet.db"), dir.filePath("html")))
            << peers.output().toStdString();
        ASSERT_TRUE(report.startReport(dir.filePath("report"), peers.url()))
            << report.output().toStdString();
    }

    Outcome run(QStringList arguments) {
        return velmctl(QStringList{"--url", report.url().toString()} + arguments);
    }

    static inline std::unique_ptr<QTemporaryDir> fleetDir;
    QTemporaryDir dir;
    ChildProcess peers;
    ChildProcess report;
};

TEST_F(VelmctlAgainstTheService, AReportPrintsAsATableAndAFailedOneEndsWith3) {
    const Outcome list = run({"report", "generate", "--type", "RT_DEVICE_LIST", "--wait"});
    ASSERT_EQ(list.exitCode, 0) << list.err.toStdString();
    EXPECT_TRUE(list.out.startsWith("Report 0\n")) << list.out.toStdString();
    EXPECT_TRUE(list.err.contains("Progress: 100%\n"));
    EXPECT_FALSE(list.out.contains("Progress"));
    // Every device of the fleet under one header and its rule of dashes.
    EXPECT_TRUE(list.out.contains(QRegularExpression("\n *DeviceID .*\n *-+  -+")))
        << list.out.toStdString();
    EXPECT_EQ(list.out.count(QRegularExpression("\n *[1-4]  ")), 4) << list.out.toStdString();

    // Reports that list their devices need an order; velmctl gives one when none is asked for.
    const Outcome supplies = run({"report", "generate", "--type", "RT_CONSUMABLE_INFO", "--wait"});
    EXPECT_EQ(supplies.exitCode, 0) << supplies.err.toStdString();
    EXPECT_TRUE(supplies.out.contains("\nDevice 1\n")) << supplies.out.toStdString();

    const Outcome unknown = run({"report", "status", "41"});
    EXPECT_EQ(unknown.exitCode, 3);
    EXPECT_TRUE(unknown.err.contains("(Result 1")) << unknown.err.toStdString();

    // --xml: the service's own answer instead of the readable text.
    const Outcome xml = run({"--xml", "report", "status", "0"});
    EXPECT_EQ(xml.exitCode, 0);
    EXPECT_TRUE(xml.out.contains("<ReportStatus>100</ReportStatus>")) << xml.out.toStdString();
    EXPECT_FALSE(xml.out.contains("(finished)"));
    // Printed in UTF-8 and declared so: XML tools read it.
    EXPECT_TRUE(xml.out.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\""))
        << xml.out.toStdString();
}

TEST_F(VelmctlAgainstTheService, ScheduleAddListRemove) {
    const Outcome empty = run({"schedule", "list"});
    EXPECT_EQ(empty.exitCode, 0) << empty.err.toStdString();
    EXPECT_EQ(empty.out, "Service RG has no scheduled items.\n");

    const Outcome added = run({"schedule", "add", "--service", "RG", "--start", "2036-12-08T07:00",
                               "--every", "2 weeks", "--send", "RGPGetReportCategories", "--tag",
                               "weekly look", "--until-restart"});
    ASSERT_EQ(added.exitCode, 0) << added.err.toStdString();
    EXPECT_EQ(added.out, "Scheduled item 0 of service RG: RGPGetReportCategories, every 2 weeks, "
                         "first run 2036-12-08 07:00:00\n");

    const Outcome listed = run({"schedule", "list"});
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_TRUE(listed.out.contains(
        QRegularExpression("\n +0 +2036-12-08 07:00:00 +every 2 weeks +2036-12-08 07:00:00 +no +"
                           "RGPGetReportCategories +weekly look\n")))
        << listed.out.toStdString();
    // An id that is not there is an error, unlike an empty service.
    EXPECT_EQ(run({"schedule", "list", "5"}).exitCode, 3);

    EXPECT_EQ(run({"schedule", "remove", "--service", "RG", "0"}).out,
              "Removed item 0 of service RG\n");
    EXPECT_EQ(run({"schedule", "list"}).out, "Service RG has no scheduled items.\n");
    // A replace of a missing item is refused, though the scheduler answers Result 0.
    const Outcome replaced = run({"schedule", "add", "--replace", "9", "--start",
                                  "2036-12-08T07:00", "--every", "once", "--send", "X"});
    EXPECT_EQ(replaced.exitCode, 3);
    EXPECT_TRUE(replaced.err.contains("no item 9")) << replaced.err.toStdString();

    // A recurring item started in the past runs next from now on, and says so.
    const Outcome recurring = run({"schedule", "add", "--start", "2020-01-06T07:00", "--every",
                                   "day", "--send", "RGPGetReportCategories", "--until-restart"});
    ASSERT_EQ(recurring.exitCode, 0) << recurring.err.toStdString();
    const QRegularExpressionMatch firstRun =
        QRegularExpression("first run (\\S+ \\S+)\n$").match(recurring.out);
    ASSERT_TRUE(firstRun.hasMatch()) << recurring.out.toStdString();
    const QDateTime next = QDateTime::fromString(firstRun.captured(1), "yyyy-MM-dd HH:mm:ss");
    EXPECT_GT(next, QDateTime::currentDateTime()) << recurring.out.toStdString();
    EXPECT_EQ(next.time(), QTime(7, 0));
}

TEST_F(VelmctlAgainstTheService, ATemplateFromOptionsGetsADeviceOrderAndKeepsItsNameUnique) {
    const Outcome added =
        run({"template", "add", "--name", "Supplies", "--type", "RT_CONSUMABLE_INFO", "--every",
             "I_DAY", "--start", "2036-12-08T07:00"});
    ASSERT_EQ(added.exitCode, 0) << added.err.toStdString();
    const Outcome shown = run({"template", "get", added.out.trimmed()});
    EXPECT_TRUE(shown.out.contains(QRegularExpression("\nSort by +IP\n")))
        << shown.out.toStdString();
    // The same name in other letters is refused by the service, with its reason.
    const Outcome again =
        run({"template", "add", "--name", "SUPPLIES", "--type", "RT_DEVICE_LIST"});
    EXPECT_EQ(again.exitCode, 3);
    EXPECT_TRUE(again.err.contains("Template name exists. (Result 120)"))
        << again.err.toStdString();
    EXPECT_EQ(
        run({"template", "add", "--name", "x", "--type", "RT_DEVICE_LIST", "--every", "weekly"})
            .exitCode,
        64);
}

// Templates name their intervals I_WEEK, the scheduler's verbs say "week": each verb family
// takes both, in any case, and templates store their own spelling.
TEST_F(VelmctlAgainstTheService, BothIntervalSpellingsWorkForTemplatesAndSchedules) {
    const Outcome added = run({"template", "add", "--name", "Weekly", "--type", "RT_DEVICE_LIST",
                               "--every", "Week", "--start", "2036-12-08T07:00"});
    ASSERT_EQ(added.exitCode, 0) << added.err.toStdString();
    const Outcome listed = run({"template", "list"});
    EXPECT_TRUE(listed.out.contains("every week from 2036-12-08 07:00:00"))
        << listed.out.toStdString();
    const Outcome stored = run({"--xml", "template", "get", added.out.trimmed()});
    EXPECT_TRUE(stored.out.contains("<Interval>I_WEEK</Interval>")) << stored.out.toStdString();
    const Outcome changed = run({"template", "set", added.out.trimmed(), "--every", "i_month"});
    EXPECT_EQ(changed.exitCode, 0) << changed.err.toStdString();
    EXPECT_TRUE(run({"template", "list"}).out.contains("every month from"));

    const Outcome scheduled =
        run({"schedule", "add", "--start", "2036-12-08T07:00", "--every", "2 I_day", "--send",
             "RGPGetReportCategories", "--until-restart"});
    ASSERT_EQ(scheduled.exitCode, 0) << scheduled.err.toStdString();
    EXPECT_TRUE(scheduled.out.contains(", every 2 days, ")) << scheduled.out.toStdString();
    for (const char* wrong : {"I_weeks", "I_", "fortnight", "2 once"})
        EXPECT_EQ(
            run({"schedule", "add", "--start", "2036-12-08T07:00", "--every", wrong, "--send", "X"})
                .exitCode,
            64)
            << wrong;
}

TEST_F(VelmctlAgainstTheService, RawCommandsExitWithTheAnswersResult) {
    const Outcome raw = run({"VXNGetVersion"});
    EXPECT_EQ(raw.exitCode, 0);
    EXPECT_TRUE(raw.out.contains(QStringLiteral("<Version>%1</Version>").arg(velmVersion)))
        << raw.out.toStdString();
    EXPECT_EQ(run({"NoSuchCommand"}).exitCode, 3);
    // A cancel is answered with the same empty envelope as an unknown command, yet succeeded.
    ASSERT_EQ(run({"report", "generate", "--type", "RT_DEVICE_LIST"}).exitCode, 0);
    QTemporaryFile request;
    ASSERT_TRUE(request.open());
    request.write("<Report ID=\"0\"/>");
    request.flush();
    EXPECT_EQ(run({"RGPCancelReport", request.fileName()}).exitCode, 0);
    EXPECT_EQ(run({"RGPCancelReport", request.fileName()}).exitCode, 3);
    const Outcome version = run({"service", "version"});
    EXPECT_EQ(version.out, QStringLiteral("Version %1\n").arg(velmVersion));
}

TEST(Velmctl, WrongValuesAndUrlsAreRefusedBeforeSending) {
    ScriptedHttpPeer peer;
    const QString url = peer.url().toString();
    const QList<QStringList> refused = {
        {"--url", url, "schedule", "add", "--start", "2026-02-30T07:00", "--every", "day", "--send",
         "RGPGetReportCategories"},
        {"--url", url, "schedule", "add", "--start", "2026-12-08T07:00", "--every", "fortnight",
         "--send", "RGPGetReportCategories"},
        {"--url", url, "schedule", "remove", "--service", "Nightly", "three"},
        // Times the scheduler cannot carry, and commands that are no names.
        {"--url", url, "schedule", "add", "--start", "3000-01-01T00:00", "--every", "day", "--send",
         "RGPGetReportCategories"},
        {"--url", url, "schedule", "add", "--start", "1969-12-31T12:00", "--every", "day", "--send",
         "RGPGetReportCategories"},
        {"--url", url, "schedule", "add", "--start", "2026-12-08T07:00", "--every", "day", "--send",
         ""},
        {"--url", url, "schedule", "add", "--start", "2026-12-08T07:00", "--every", "day", "--send",
         "a\"b>c"},
        {"--url", url, "report", "generate", "--type", "RT_DEVICE_LIST", "--period", "P_LASTWEEK"},
        {"--url", url, "report", "generate", "--type", "RT_DEVICE_LIST", "--from", "yesterday"},
        {"--url", url, "report", "status", "-1"},
        {"--url", QString(url).replace("http:", "https:"), "report", "categories"},
        {"--url", QString(url).replace("http:", "ftp:"), "report", "categories"},
        {"report", "categories"},
        // A single run whose start has passed would be kept and never run.
        {"--url", url, "schedule", "add", "--start", "2020-01-06T07:00", "--every", "once",
         "--send", "RGPGetReportCategories"},
        {"--url", url, "template", "add", "--name", "Past", "--type", "RT_DEVICE_LIST",
         "--schedule", "Once", "--start", "2020-01-06T07:00"},
    };
    for (const QStringList& arguments : refused) {
        const Outcome outcome = velmctl(arguments);
        EXPECT_EQ(outcome.exitCode, 64) << arguments.join(' ').toStdString();
        EXPECT_TRUE(outcome.err.startsWith("velmctl: ")) << outcome.err.toStdString();
    }
    EXPECT_FALSE(peer.waitForRequests(1, 300));
    EXPECT_TRUE(velmctl(refused[0]).err.contains("2026-02-30T07:00"));
    EXPECT_TRUE(velmctl(refused[10]).err.contains("https is not supported"));
    EXPECT_TRUE(velmctl(refused[13]).err.contains("2020-01-06 07:00:00 has passed"))
        << velmctl(refused[13]).err.toStdString();
}

// 02:30 on the last Sunday of March does not exist in Berlin: the user is told so, not that the
// form is wrong, and nothing is sent.
TEST(Velmctl, ALocalTimeTheClockSkipsIsNamedAsSuch) {
    ScriptedHttpPeer peer;
    const QString url = peer.url().toString();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TZ", "Europe/Berlin");
    const auto run = [&](const QStringList& arguments) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(VELM_BINARY_DIR "/bin/velmctl"),
                      QStringList{"--url", url} + arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        return Outcome{process.exitCode(), {}, QString::fromUtf8(process.readAllStandardError())};
    };
    const QString skipped = "does not exist in local time";
    for (const QString start : {"2027-03-28T02:30", "2027-03-28 02:00:00"}) {
        const Outcome scheduled = run({"schedule", "add", "--start", start, "--every", "day",
                                       "--send", "RGPGetReportCategories"});
        EXPECT_EQ(scheduled.exitCode, 64);
        EXPECT_TRUE(scheduled.err.contains(start + " " + skipped)) << scheduled.err.toStdString();
    }
    const Outcome templated =
        run({"template", "add", "--name", "T", "--type", "RT_DEVICE_LIST", "--mail-to", "a@b.c",
             "--schedule", "Periodic", "--every", "I_DAY", "--start", "2027-03-28T02:59"});
    EXPECT_EQ(templated.exitCode, 64);
    EXPECT_TRUE(templated.err.contains(skipped)) << templated.err.toStdString();
    // The hour before and the hour that repeats in October are times like any other; a day
    // that does not exist keeps its own message.
    EXPECT_FALSE(run({"schedule", "add", "--start", "2027-02-30T02:30", "--every", "day", "--send",
                      "RGPGetReportCategories"})
                     .err.contains(skipped));
    EXPECT_FALSE(peer.waitForRequests(1, 300));
}

TEST(Velmctl, AUrlWithoutSchemeIsPlainHttp) {
    ScriptedHttpPeer peer;
    peer.enqueue(ScriptedHttpPeer::ok("<VXNResponse><Result>0</Result><Details>OK</Details>"
                                      "<Version>9</Version></VXNResponse>"));
    const Outcome outcome =
        velmctl({"--url", QStringLiteral("127.0.0.1:%1").arg(peer.port()), "service", "version"});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_EQ(outcome.out, "Version 9\n");
}

TEST(Velmctl, HelpAndVersionNeedNoService) {
    const Outcome banner = velmctl({"--help"});
    EXPECT_EQ(banner.exitCode, 0);
    for (const char* family : {"\n  report ", "\n  schedule ", "\n  service "})
        EXPECT_TRUE(banner.out.contains(family)) << family;
    EXPECT_TRUE(banner.out.contains("\n  64  the command line is wrong"));
    for (const QStringList& asked :
         {QStringList{"help", "schedule"}, {"schedule", "--help"}, {"schedule"}}) {
        const Outcome help = velmctl(asked);
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_TRUE(help.out.contains("schedule add --start DATE --every INTERVAL"))
            << help.out.toStdString();
    }
    EXPECT_EQ(velmctl({"--version"}).out, QStringLiteral("velmctl %1\n").arg(velmVersion));
}

} // namespace
