// Report templates inside velm-report, over HTTP, with velm-peers as naming and database
// service: names checked under concurrent adds, templates kept across a restart, a scheduled
// template fired and its mail received by a real SMTP server.
#include "../../scheduler/QtPrinters.h"
#include "support/ChildProcess.h"
#include "support/PacketCall.h"
#include "support/SmtpSink.h"
#include "support/TestInstallation.h"

#include "VELMPluginReportGenerator/Commands/CCmdRGPGetReportTemplateListResponse.h"
#include "VELMPluginReportGenerator/Commands/CCmdRGReportTemplateRequest.h"
#include "VELMPluginReportGenerator/Commands/CCmdRGReportTemplateResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGenerateReportRequest.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGenerateReportResponse.h"
#include "VELMPluginReportGenerator/report/ReportResult.h"
#include "VELMPluginReportGenerator/templates/TemplateResult.h"

#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <future>

namespace {

// Runs a program of the build to its end; its exit code, or -1.
int runProgram(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(QStringLiteral(VELM_BINARY_DIR "/bin/") + program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

QStringList filesBelow(const QString& directory, const QString& pattern) {
    QStringList found;
    QDirIterator it(directory, {pattern}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        found.append(it.next());
    return found;
}

ReportTemplate weekly(const QString& name, const QDateTime& start) {
    ReportTemplate record;
    record.name = name;
    record.report.reportType = QStringLiteral("RT_DEVICE_LIST");
    record.report.reportFormat = QStringLiteral("TABLE");
    record.schedule.absent = false;
    record.schedule.type = QStringLiteral("Periodic");
    record.schedule.interval = QStringLiteral("I_WEEK");
    record.schedule.frequency = 1;
    record.schedule.startTime = start;
    return record;
}

class TemplatesInReport : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(peers.startPeers(dir.filePath("fleet.db"), dir.filePath("html")))
            << peers.output().toStdString();
        ASSERT_TRUE(report.startReport(dir.filePath("report"), peers.url()))
            << report.output().toStdString();
    }

    void restartReport() {
        ASSERT_EQ(report.terminate(), 0);
        ASSERT_TRUE(report.start(dir.filePath("report/velm-report"), {QStringLiteral("-e")}))
            << report.output().toStdString();
    }

    std::unique_ptr<CCmdRGAddTemplateResponse> add(const ReportTemplate& record) {
        CCmdRGAddReportTemplateRequest request;
        request.record = record;
        return callOverHttp<CCmdRGAddTemplateResponse>(report.url(), request);
    }

    std::unique_ptr<CCmdRGPGetReportTemplateListResponse> list() {
        CCmdRGPGetReportTemplateListRequest request;
        return callOverHttp<CCmdRGPGetReportTemplateListResponse>(report.url(), request);
    }

    // The list once the first template has its next run planned (the worker plans it after
    // each change and after the load).
    QList<TemplateListEntry> plannedList() {
        QList<TemplateListEntry> entries;
        for (int attempt = 0; attempt < 100; ++attempt) {
            entries = list()->entries;
            if (!entries.isEmpty() && entries.first().hasNext)
                break;
            QThread::msleep(50);
        }
        return entries;
    }

    QTemporaryDir dir;
    ChildProcess peers;
    ChildProcess report;
};

TEST_F(TemplatesInReport, ConcurrentAddsOfOneNameStoreItOnce) {
    const QDateTime start = QDateTime::currentDateTime().addDays(1);
    constexpr int callers = 6;
    std::vector<std::future<int>> results;
    for (int i = 0; i < callers; ++i)
        results.push_back(std::async(std::launch::async, [&, i] {
            const QString name = i % 2 ? QStringLiteral("Fleet") : QStringLiteral("FLEET");
            return add(weekly(name, start))->result();
        }));
    int stored = 0;
    for (auto& result : results) {
        const int code = result.get();
        EXPECT_TRUE(code == 0 || code == TemplateResult::NameExists) << code;
        stored += code == 0;
    }
    EXPECT_EQ(stored, 1);
    EXPECT_EQ(list()->entries.size(), 1);
}

TEST_F(TemplatesInReport, AReportCanBeGeneratedFromAStoredTemplate) {
    ASSERT_EQ(
        add(weekly(QStringLiteral("devices"), QDateTime::currentDateTime().addDays(1)))->templateId,
        0u);
    const auto generate = [&](const QString& id) {
        CmdRGPGenerateReportRequest request;
        request.templateId = id;
        return callOverHttp<CmdRGPGenerateReportResponse>(report.url(), request);
    };
    const auto started = generate(QStringLiteral("0"));
    EXPECT_EQ(started->result(), 0) << started->details().toStdString();
    EXPECT_EQ(started->reportId, QStringLiteral("0"));
    const auto unknown = generate(QStringLiteral("3"));
    EXPECT_EQ(unknown->result(), ReportResult::InvalidTemplateId);
    EXPECT_EQ(unknown->details(), QStringLiteral("Invalid Template ID."));
}

TEST_F(TemplatesInReport, TemplatesAndTheirNextRunsSurviveARestart) {
    const QDateTime start =
        QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch() + 3 * 86400);
    ASSERT_EQ(add(weekly(QStringLiteral("Wöchentlich"), start))->result(), 0);
    ReportTemplate plain;
    plain.name = QStringLiteral("on request");
    ASSERT_EQ(add(plain)->result(), 0);
    restartReport();
    ASSERT_TRUE(report.waitForOutput(QStringLiteral("Events loaded: 2"), 30000))
        << report.output().toStdString();
    const QList<TemplateListEntry> entries = plannedList();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].name, QStringLiteral("Wöchentlich"));
    EXPECT_TRUE(entries[0].hasNext);
    EXPECT_EQ(entries[0].next, start);
    EXPECT_EQ(entries[0].schedule.interval, QStringLiteral("I_WEEK"));
    EXPECT_EQ(entries[1].name, QStringLiteral("on request"));
    EXPECT_FALSE(entries[1].hasNext);
    EXPECT_TRUE(entries[1].schedule.absent);
}

// A fleet with mail settings in velm-peers' database and an installation whose html folder is
// the web root, so that exported files can be attached.
class ScheduledTemplateMail : public TemplatesInReport {
protected:
    void SetUp() override {
        ASSERT_NE(sink.Port(), 0) << "the aiosmtpd server did not start";
        ASSERT_TRUE(dir.isValid());
        const QString db = dir.filePath("fleet.db");
        ASSERT_EQ(runProgram("velm-peers", {"--db", db, "--generate-fleet", "3", "--days", "1"}),
                  0);
        ASSERT_EQ(
            runProgram("velm-peers", {"--db", db, "--set", "SMTPServerName=127.0.0.1", "--set",
                                      "SMTPServerPort=" + QString::number(sink.Port()), "--set",
                                      "ReplyAddress=reports@example.com"}),
            0);
        ASSERT_TRUE(peers.startPeers(db, html())) << peers.output().toStdString();
        ASSERT_TRUE(report.startReport(dir.filePath("report"), peers.url()))
            << report.output().toStdString();
        // Registrations wait for the stored items; the start must still lie ahead after that.
        ASSERT_TRUE(report.waitForOutput(QStringLiteral("Events loaded: "), 30000));
    }

    QString html() const { return installation.path() + QStringLiteral("/html"); }

    SmtpSink sink;
    TestInstallation installation;
    QTemporaryDir parts;
};

TEST_F(ScheduledTemplateMail, AnHourlyTemplateFiresAndItsReportArrivesAsAttachment) {
    const QDateTime start = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch() + 6);
    ReportTemplate record;
    record.name = QStringLiteral("Stündliche Geräteliste");
    record.report.reportType = QStringLiteral("RT_DEVICE_LIST");
    record.report.reportFormat = QStringLiteral("TABLE");
    record.email.absent = false;
    record.email.recipients = {QStringLiteral("ops@example.com")};
    record.email.subject = QStringLiteral("Geräteliste");
    record.email.fileFormats = {QStringLiteral("XML")};
    record.schedule.absent = false;
    record.schedule.type = QStringLiteral("Periodic");
    record.schedule.interval = QStringLiteral("I_HOUR");
    record.schedule.startTime = start;
    ASSERT_EQ(add(record)->result(), 0);

    ASSERT_TRUE(sink.WaitForMessages(1, 60000)) << report.output().toStdString();
    EXPECT_TRUE(report.waitForOutput(
        QStringLiteral("Send command: <?xml version=\"1.0\" encoding=\"UTF-16\" standalone=\"no\" "
                       "?><VXNRequest command=\"RGPGenerateAndSendReportByEmail\">"),
        5000))
        << report.output().toStdString();
    const QJsonObject mail = sink.Inspect(1, parts.path());
    EXPECT_EQ(mail["subject"].toString(), QStringLiteral("Geräteliste"));
    EXPECT_EQ(sink.Envelope(1)["mail_from"].toString(), QStringLiteral("reports@example.com"));
    const QJsonArray mailParts = mail["parts"].toArray();
    ASSERT_EQ(mailParts.size(), 2) << QJsonDocument(mail).toJson().toStdString();
    const QStringList exported = filesBelow(html(), QStringLiteral("Report_*.xml"));
    ASSERT_EQ(exported.size(), 1);
    EXPECT_EQ(mailParts[1]["filename"].toString(), QFileInfo(exported.first()).fileName());
    EXPECT_EQ(fileBytes(mailParts[1]["file"].toString()), fileBytes(exported.first()));
    EXPECT_TRUE(fileBytes(exported.first()).contains("<Body>"));

    // Fired, the template waits for its next hour, also after a restart.
    const QDateTime next = start.addSecs(3600);
    QList<TemplateListEntry> entries = plannedList();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries.first().next, next);
    restartReport();
    ASSERT_TRUE(report.waitForOutput(QStringLiteral("Events loaded: 1"), 30000));
    entries = plannedList();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries.first().name, record.name);
    EXPECT_EQ(entries.first().next, next);
    EXPECT_EQ(sink.MessageCount(), 1);
}

} // namespace
