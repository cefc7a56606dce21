// velmctl's template verbs as a user runs them, against velm-report and velm-peers.
#include "support/ChildProcess.h"

#include <QDate>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Outcome {
    int exitCode = -1;
    QString out;
    QString err;
};

class VelmctlTemplates : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(peers.startPeers(dir.filePath("fleet.db"), dir.filePath("html")))
            << peers.output().toStdString();
        ASSERT_TRUE(report.startReport(dir.filePath("report"), peers.url()))
            << report.output().toStdString();
    }

    Outcome run(const QStringList& arguments) {
        QProcess process;
        process.start(QStringLiteral(VELM_BINARY_DIR "/bin/velmctl"),
                      QStringList{"--url", report.url().toString(), "template"} + arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    QTemporaryDir dir;
    ChildProcess peers;
    ChildProcess report;
};

TEST_F(VelmctlTemplates, AddListChangeAndDeleteAsAUserWould) {
    const Outcome added =
        run({"add", "--name", "Wöchentliche Geräte", "--type", "RT_DEVICE_LIST", "--group", "2",
             "--mail-to", "ops@example.org", "--mail-to", "it@example.org", "--attach", "CSV",
             "--mail-subject", "Geräte", "--every", "I_WEEK", "--start", "2030-01-07T08:00"});
    ASSERT_EQ(added.exitCode, 0) << added.err.toStdString();
    EXPECT_EQ(added.out, "0\n");

    const Outcome twice = run({"add", "--name", "WÖCHENTLICHE GERÄTE", "--type", "RT_DEVICE_LIST"});
    EXPECT_EQ(twice.exitCode, 3);
    EXPECT_TRUE(twice.err.contains("Template name exists. (Result 120)"))
        << twice.err.toStdString();

    QFile file(dir.filePath("firmware.xml"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<Name>Firmware</Name><Report><ReportType>RT_FIRMWARE_INFO</ReportType>"
               "<SortBy>HostName</SortBy><Selection/></Report>");
    file.close();
    const Outcome fromFile = run({"add", file.fileName()});
    ASSERT_EQ(fromFile.exitCode, 0) << fromFile.err.toStdString();
    EXPECT_EQ(fromFile.out, "1\n");

    const Outcome list = run({"list"});
    ASSERT_EQ(list.exitCode, 0) << list.err.toStdString();
    EXPECT_TRUE(list.out.contains("Wöchentliche Geräte  RT_DEVICE_LIST"));
    EXPECT_TRUE(list.out.contains("every week from 2030-01-07 08:00:00  2030-01-07 08:00:00"))
        << list.out.toStdString();
    EXPECT_TRUE(list.out.contains("on request")) << list.out.toStdString();

    // Options change only what they name; the device order defaults as for report generate.
    ASSERT_EQ(run({"set", "0", "--frequency", "2"}).exitCode, 0);
    const Outcome shown = run({"get", "0"});
    ASSERT_EQ(shown.exitCode, 0) << shown.err.toStdString();
    for (const char* line :
         {"Name         Wöchentliche Geräte", "Sort by      IP", "GroupID      2",
          "Mail to      ops@example.org, it@example.org", "Attach       CSV",
          "Schedule     every 2 weeks from 2030-01-07 08:00:00"})
        EXPECT_TRUE(shown.out.contains(QString::fromUtf8(line))) << line << "\n"
                                                                 << shown.out.toStdString();

    ASSERT_EQ(run({"delete", "1"}).exitCode, 0);
    EXPECT_FALSE(run({"list"}).out.contains("Firmware"));
    const Outcome gone = run({"get", "1"});
    EXPECT_EQ(gone.exitCode, 3);
    EXPECT_TRUE(gone.err.contains("Invalid ID(s)")) << gone.err.toStdString();
    EXPECT_EQ(run({"get", "first"}).exitCode, 64);
}

TEST_F(VelmctlTemplates, AnIntervalMakesASingleRunRecurAndUnreadableTimesAreRefused) {
    ASSERT_EQ(run({"add", "--name", "Once", "--type", "RT_DEVICE_LIST", "--schedule", "Once",
                   "--start", "2030-01-07T08:00"})
                  .exitCode,
              0);
    // Kept "Once", the service would store the template without its interval.
    const Outcome changed = run({"set", "0", "--every", "day", "--frequency", "2"});
    ASSERT_EQ(changed.exitCode, 0) << changed.err.toStdString();
    const Outcome shown = run({"get", "0"});
    EXPECT_TRUE(shown.out.contains("Schedule     every 2 days from 2030-01-07 08:00:00"))
        << shown.out.toStdString();
    ASSERT_EQ(run({"set", "0", "--schedule", "Once"}).exitCode, 0);
    EXPECT_TRUE(run({"get", "0"}).out.contains("Schedule     once at 2030-01-07 08:00:00"));

    // Schedules the service would keep without ever running them are refused; a recurring one
    // without a start begins now instead of a year back.
    const Outcome noStart =
        run({"add", "--name", "A", "--type", "RT_DEVICE_LIST", "--schedule", "Once"});
    EXPECT_EQ(noStart.exitCode, 64);
    EXPECT_TRUE(noStart.err.contains("needs --start")) << noStart.err.toStdString();
    const Outcome noInterval = run({"add", "--name", "B", "--type", "RT_DEVICE_LIST", "--schedule",
                                    "Periodic", "--start", "2030-01-07T08:00"});
    EXPECT_EQ(noInterval.exitCode, 64);
    EXPECT_TRUE(noInterval.err.contains("needs --every")) << noInterval.err.toStdString();
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    const Outcome daily = run({"add", "--name", "C", "--type", "RT_DEVICE_LIST", "--every", "day"});
    ASSERT_EQ(daily.exitCode, 0) << daily.err.toStdString();
    const QString dailyShown = run({"get", daily.out.trimmed()}).out;
    EXPECT_TRUE(dailyShown.contains("Schedule     every day from " + today) ||
                dailyShown.contains("Schedule     every day from " +
                                    QDate::currentDate().toString(Qt::ISODate)))
        << dailyShown.toStdString();

    QFile file(dir.filePath("typo.xml"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<Name>Typo</Name><Report><ReportType>RT_DEVICE_LIST</ReportType></Report>"
               "<Schedule><StartTime>2030-01-07T08:00</StartTime><Interval>I_DAY</Interval>"
               "<Type>Periodic</Type></Schedule>");
    file.close();
    const Outcome typo = run({"add", file.fileName()});
    EXPECT_EQ(typo.exitCode, 64);
    EXPECT_TRUE(typo.err.contains("Schedule StartTime \"2030-01-07T08:00\" is not a number"))
        << typo.err.toStdString();
    EXPECT_FALSE(run({"list"}).out.contains("Typo"));
}

} // namespace
