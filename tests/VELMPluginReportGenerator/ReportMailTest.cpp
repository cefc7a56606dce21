// Reports mailed through RGPSendReportByEmail: exported on the way, sent to a real SMTP server
// (aiosmtpd) and read back by Python's email package.
#include "ReportGeneratorFixture.h"

#include "VELMPluginReportGenerator/Commands/CmdRGPSendReportByEmailRequest.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPSendReportByEmailResponse.h"
#include "VELMPluginReportGenerator/charts/CounterChartStep.h"
#include "VELMPluginReportGenerator/email/EmailResult.h"
#include "VELMPluginReportGenerator/email/ReportMailer.h"
#include "VELMPluginReportGenerator/email/SmtpSettings.h"
#include "VELMPluginReportGenerator/report/ReportResult.h"

#include "peers/CmdDMSGetPropertiesRequest.h"
#include "peers/CmdWebUploadTemporaryFileResponse.h"

#include "support/ScriptedDeviceManagement.h"
#include "support/ScriptedWebUpload.h"
#include "support/SmtpSink.h"
#include "support/TestInstallation.h"
#include "support/TestSemaphore.h"

#include "VXNServiceFramework/captured_log.h"

#include <QFile>
#include <QJsonArray>
#include <QRegularExpression>
#include <QTcpServer>

#include <thread>
#include <vector>

namespace {

const QString kSubject = QString::fromUtf8("Zählerstände für März – Köln");
const QString kText = QString::fromUtf8("Grüße aus Köln,\nanbei die Geräte.");

// A text part as a reader shows it: LF line ends, no line end after the last line.
QString shownText(const QJsonValue& part) {
    return part["text"].toString().replace("\r\n", "\n").trimmed();
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

ScriptedReportPeers::DatabaseAnswer deviceRows(const QStringList& queries) {
    ScriptedReportPeers::DatabaseAnswer answer;
    for (const QString& query : queries)
        answer.sets.append(
            query.trimmed().startsWith("SELECT")
                ? ScriptedReportPeers::rows({{{"DeviceID", "1"}, {"Name", "Drucker Köln"}},
                                             {{"DeviceID", "2"}, {"Name", "Düsseldorf"}}})
                : ScriptedReportPeers::statement());
    return answer;
}

// A usage script whose last statement answers the period rows, for a chart.
ScriptedReportPeers::DatabaseAnswer usageRows(const QStringList& queries) {
    ScriptedReportPeers::DatabaseAnswer answer;
    for (qsizetype i = 0; i < queries.size(); ++i)
        answer.sets.append(i + 1 < queries.size()
                               ? ScriptedReportPeers::statement()
                               : ScriptedReportPeers::rows({{{"Period", "2008-01-14"},
                                                             {"Color_Counter", "10"},
                                                             {"Mono_Counter", "1"},
                                                             {"Total", "11"}}}));
    return answer;
}

const ReportSelection kDevices{{"1", "2"}, {}, {}, {}, {}};

} // namespace

// A report generator with the chart step, web uploads stored below an installation with
// stylesheets, and device management pointing at a real SMTP server.
class ReportMailTest : public ReportGeneratorTest {
protected:
    ReportMailTest() : ReportGeneratorTest(ReportSteps{std::make_shared<CounterChartStep>(), {}}) {

        web.storeUnder(installation.path() + "/html");
        for (const char* extension : {"csv", "htm"})
            installation.writeStylesheet(
                "en", QStringLiteral("ReportResult_type2_%1.xsl").arg(QLatin1String(extension)),
                taggedRowsStylesheet(QByteArray("Geräte ") + extension));
        devices.setProperties(mailServer());
    }

    void SetUp() override { ASSERT_NE(sink.Port(), 0) << "the aiosmtpd server did not start"; }

    QMap<QString, QString> mailServer() const {
        return {
            {SmtpSettings::serverName, "127.0.0.1"},
            {SmtpSettings::serverPort, QString::number(sink.Port())},
            {SmtpSettings::connectionTimeout, "10"},
            {SmtpSettings::replyAddress, QString::fromUtf8("Berichte Köln <reports@example.com>")}};
    }

    int finishedDeviceList() {
        peers.onDatabase(deviceRows);
        const int id = start(reportDefinition({{"ReportType", "RT_DEVICE_LIST"}}, kDevices));
        EXPECT_EQ(waitForEnd(id)->reportStatus, "100");
        return id;
    }

    std::unique_ptr<CmdRGPSendReportByEmailResponse>
    mail(const QString& id, const QStringList& recipients, const QStringList& formats,
         const QString& subject = kSubject, const QString& text = kText) {
        CmdRGPSendReportByEmailRequest request;
        request.reportId = id;
        request.recipients = recipients;
        request.subject = subject;
        request.content = text;
        request.fileFormats = formats;
        std::unique_ptr<Packet> answer = service->dispatch(request);
        auto* typed = dynamic_cast<CmdRGPSendReportByEmailResponse*>(answer.get());
        EXPECT_NE(typed, nullptr);
        answer.release();
        return std::unique_ptr<CmdRGPSendReportByEmailResponse>(typed);
    }

    QString received(const QString& name) const { return m_out.filePath(name); }

    TestInstallation installation;
    ScriptedWebUpload web{peers};
    ScriptedDeviceManagement devices{peers};
    SmtpSink sink;
    QTemporaryDir m_out;
};

TEST_F(ReportMailTest, ExportedFilesArriveByteForByteWithUtf8SubjectAndTextFromTheReplyAddress) {
    const int id = finishedDeviceList();
    const auto answer =
        mail(QString::number(id),
             {QString::fromUtf8("Jürgen Müller <jm@example.com>"), "ops@example.com"},
             {"CSV", "HTML", "XML"});
    ASSERT_EQ(answer->result(), 0) << answer->details().toStdString();
    EXPECT_TRUE(answer->reportId.isEmpty());

    const QJsonObject parsed = sink.Inspect(1, m_out.path());
    EXPECT_EQ(parsed["subject"].toString(), kSubject);
    const QJsonArray sender{QJsonArray{QString::fromUtf8("Berichte Köln"), "reports@example.com"}};
    EXPECT_EQ(parsed["from"].toArray(), sender);
    const QJsonArray to{QJsonArray{QString::fromUtf8("Jürgen Müller"), "jm@example.com"},
                        QJsonArray{"", "ops@example.com"}};
    EXPECT_EQ(parsed["to"].toArray(), to);
    EXPECT_EQ(sink.Envelope(1)["mail_from"].toString(), "reports@example.com");

    const QJsonArray parts = parsed["parts"].toArray();
    const auto uploads = web.uploads();
    ASSERT_EQ(uploads.size(), 3);
    ASSERT_EQ(parts.size(), 4);
    EXPECT_EQ(shownText(parts[0]), kText);
    EXPECT_EQ(parts[0]["charset"].toString(), "utf-8");
    const QStringList extensions{"csv", "htm", "xml"};
    for (int i = 0; i < 3; ++i) {
        const QJsonValue part = parts[i + 1];
        EXPECT_EQ(part["filename"].toString(), uploads[i].fileName);
        EXPECT_TRUE(uploads[i].fileName.endsWith("." + extensions[i]))
            << uploads[i].fileName.toStdString();
        const QByteArray exported = fileBytes(installation.path() + "/html/" + uploads[i].path);
        EXPECT_EQ(fileBytes(part["file"].toString()), exported) << extensions[i].toStdString();
        EXPECT_EQ(exported, uploads[i].data);
    }
    EXPECT_TRUE(uploads[0].data.startsWith("Geräte csv:")) << uploads[0].data.toStdString();
    EXPECT_TRUE(uploads[2].data.contains("Drucker Köln"));
}

TEST_F(ReportMailTest, FormatsWhoseExportCannotHoldTheReportAreAttachedAsExportedAndTheLogSaysWhy) {
    const int id = finishedDeviceList();
    const QString report = QString::number(id);
    const auto mailed = [&](const QStringList& formats, const QString& locale) {
        CmdRGPSendReportByEmailRequest request;
        request.reportId = report;
        request.recipients = {"ops@example.com"};
        request.locale = locale;
        request.fileFormats = formats;
        const std::unique_ptr<Packet> answer = service->dispatch(request);
        EXPECT_EQ(answer->result(), 0) << answer->details().toStdString();
        QTemporaryDir out;
        QStringList names;
        const QJsonArray parts = sink.Inspect(sink.MessageCount(), out.path())["parts"].toArray();
        for (const QJsonValue part : parts)
            names.append(part["filename"].toString().section('.', -1));
        return names;
    };

    {
        // An unknown format uploads an empty file, a locale without stylesheets the
        // processor's error text: both are attached as exported, and the log says why.
        CapturedLog log;
        EXPECT_EQ(mailed({"PDF", "CSV", "XML"}, "fr"), QStringList({"", "", "csv", "xml"}));
        EXPECT_EQ(web.uploads().size(), 3);
        const QStringList lines = log.lines();
        EXPECT_EQ(lines.filter("PDF file that does not hold the report: there is no export format")
                      .size(),
                  1)
            << lines.join('\n').toStdString();
        EXPECT_EQ(lines
                      .filter(QRegularExpression("CSV file that does not hold the report: its "
                                                 "stylesheet "
                                                 ".*/html/fr/modules/report/content/reports/"
                                                 "ReportResult_type2_csv.xsl cannot be read"))
                      .size(),
                  1)
            << lines.join('\n').toStdString();
    }
    {
        CapturedLog log;
        EXPECT_EQ(mailed({"HTML"}, "../en"), QStringList({"", "htm"}));
        EXPECT_EQ(web.uploads().size(), 4);
        EXPECT_EQ(log.lines()
                      .filter("HTML file that does not hold the report: the locale \"../en\" is "
                              "not a plain name")
                      .size(),
                  1);
    }
    {
        // The web service keeps nothing: the message still goes, without the file.
        peers.fail("WEBUploadTemporaryFile", ScriptedWebUpload::storeFailed, "disk full");
        CapturedLog log;
        EXPECT_EQ(mailed({"CSV"}, "en"), QStringList({""}));
        EXPECT_EQ(log.lines()
                      .filter("CSV file: the exported file was not stored by the web service")
                      .size(),
                  1)
            << log.lines().join('\n').toStdString();
        peers.unfail("WEBUploadTemporaryFile");
    }
    // With every part in place the same request attaches the file.
    EXPECT_EQ(mailed({"CSV"}, "en"), QStringList({"", "csv"}));
}

TEST_F(ReportMailTest, AChartReportSendsItsImageUnderTheDefaultSubjectAndText) {
    peers.onDatabase(usageRows);
    const int id = start(reportDefinition(
        {{"ReportType", "RT_USAGE_COLOR_MONO"}, {"ReportFormat", "Chart"}, {"ChartType", "CT_BAR"}},
        kDevices));
    ASSERT_EQ(waitForEnd(id)->reportStatus, "100");
    const QString chart = service->findReport(id)->chartPath();
    ASSERT_FALSE(chart.isEmpty());

    const auto answer = mail(QString::number(id), {"ops@example.com"}, {"CSV", "HTML"}, "", "");
    ASSERT_EQ(answer->result(), 0) << answer->details().toStdString();
    EXPECT_EQ(web.uploads().size(), 1); // the chart only: the formats were not exported

    const QJsonObject parsed = sink.Inspect(1, m_out.path());
    EXPECT_EQ(parsed["subject"].toString(), "Quillex Report");
    const QJsonArray parts = parsed["parts"].toArray();
    ASSERT_EQ(parts.size(), 2);
    EXPECT_EQ(shownText(parts[0]), "Quillex report");
    EXPECT_EQ(parts[1]["filename"].toString(), QFileInfo(chart).fileName());
    EXPECT_EQ(fileBytes(parts[1]["file"].toString()),
              fileBytes(installation.path() + "/html/" + chart));
}

TEST_F(ReportMailTest, LoginOnAServerOfferingOnlyAuthLogin) {
    SmtpSink guarded(QStringLiteral("reporter:s3cret"));
    QMap<QString, QString> settings = mailServer();
    settings.insert(SmtpSettings::serverPort, QString::number(guarded.Port()));
    settings.insert(SmtpSettings::requiresAuthentication, "1");
    settings.insert(SmtpSettings::serverLogin, "reporter");
    settings.insert(SmtpSettings::serverPassword, "s3cret");
    devices.setProperties(settings);
    const int id = finishedDeviceList();

    CapturedLog log;
    const auto answer = mail(QString::number(id), {"ops@example.com"}, {"XML"});
    ASSERT_EQ(answer->result(), 0) << answer->details().toStdString();
    EXPECT_EQ(guarded.MessageCount(), 1);

    // A wrong password fails every method: 101 with the last method's text.
    settings.insert(SmtpSettings::serverPassword, "wrong");
    devices.setProperties(settings);
    const auto refused = mail(QString::number(id), {"ops@example.com"}, {"XML"});
    EXPECT_EQ(refused->result(), EmailResult::ConnectionFailed);
    EXPECT_EQ(refused->details(),
              "CTRVSMTPConnection::Connect, An unexpected HELO/EHLO response was received");
    EXPECT_EQ(guarded.MessageCount(), 1);
    // Both outcomes stay in the log, the password nowhere.
    const QString report = QStringLiteral("Report %1 ").arg(id);
    EXPECT_EQ(log.count("info: " + report + "mailed to 1 recipient(s) with 1 file(s)"), 1)
        << log.lines().join('\n').toStdString();
    EXPECT_EQ(log.count("err: " + report + "not mailed: " + refused->details() + " (Result " +
                        QString::number(EmailResult::ConnectionFailed) + ")"),
              1)
        << log.lines().join('\n').toStdString();
    EXPECT_TRUE(log.lines().filter("wrong").isEmpty());
}

TEST_F(ReportMailTest, RequestsThatCannotBeSentAnswerTheirCodeAndSendNothing) {
    const int id = finishedDeviceList();
    const QString report = QString::number(id);

    // A request that names no report sends nothing either, and does not say it did.
    for (const QString& unknown : {QString(), QStringLiteral("99"), QStringLiteral("x")}) {
        const auto answer = mail(unknown, {"ops@example.com"}, {"CSV"});
        EXPECT_EQ(answer->result(), ReportResult::InvalidReportId);
        EXPECT_EQ(answer->details(), ReportResult::invalidReportIdText);
    }
    EXPECT_EQ(peers.commands().count("DMSGetProperties"), 0);

    const auto noRecipient = mail(report, {}, {"CSV"});
    EXPECT_EQ(noRecipient->result(), EmailResult::TransferFailed);
    EXPECT_EQ(noRecipient->details(), "");

    // CR or LF in a header or the envelope: refused before any connection.
    const auto injected = mail(report, {"ops@example.com"}, {"CSV"}, "Weekly\r\nBcc: x@evil.test");
    EXPECT_EQ(injected->result(), EmailResult::TransferFailed);
    EXPECT_TRUE(injected->details().contains("Subject contains CR or LF"))
        << injected->details().toStdString();
    const auto badRecipient = mail(report, {"ops@example.com\nDATA"}, {"CSV"});
    EXPECT_EQ(badRecipient->result(), EmailResult::TransferFailed);
    QMap<QString, QString> settings = mailServer();
    settings.insert(SmtpSettings::replyAddress, "reports@example.com\r\nRCPT TO:<x@evil.test>");
    devices.setProperties(settings);
    const auto badSender = mail(report, {"ops@example.com"}, {"CSV"});
    EXPECT_EQ(badSender->result(), EmailResult::TransferFailed);
    EXPECT_TRUE(badSender->details().contains("From contains CR or LF"));

    // No server configured, and a device management that does not answer at all.
    settings.remove(SmtpSettings::serverName);
    devices.setProperties(settings);
    const auto noServer = mail(report, {"ops@example.com"}, {"CSV"});
    EXPECT_EQ(noServer->result(), EmailResult::NoServer);
    EXPECT_EQ(noServer->details(), "");
    devices.setProperties(mailServer());
    // The code stays, but the Details say that the settings were never read, and why.
    peers.fail("DMSGetProperties", ResultCode::ConnectionFailed, "Connection to service failed");
    const auto unread = mail(report, {"ops@example.com"}, {"CSV"});
    EXPECT_EQ(unread->result(), EmailResult::NoServer);
    EXPECT_EQ(unread->details(), "The mail settings could not be read: DMSGetProperties failed "
                                 "with Result 1: Connection to service failed");
    peers.unfail("DMSGetProperties");

    // An exported file that is not where the installation keeps it.
    web.storeUnder(m_out.filePath("elsewhere"));
    const auto unreadable = mail(report, {"ops@example.com"}, {"CSV"});
    EXPECT_EQ(unreadable->result(), EmailResult::AttachmentUnreadable);
    EXPECT_EQ(unreadable->details(), "");

    EXPECT_EQ(sink.MessageCount(), 0);

    // Nobody listening on the configured port.
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    settings = mailServer();
    settings.insert(SmtpSettings::serverPort, QString::number(closed.serverPort()));
    closed.close();
    devices.setProperties(settings);
    const auto unreachable = mail(report, {"ops@example.com"}, {});
    EXPECT_EQ(unreachable->result(), EmailResult::ConnectionFailed);
    EXPECT_TRUE(unreachable->details().contains("Could not connect to the SMTP server 127.0.0.1"))
        << unreachable->details().toStdString();
}

TEST_F(ReportMailTest, AReportPartWayAnswers108WithoutAskingAnyone) {
    peers.onDatabase(usageRows);
    TestSemaphore entered;
    TestSemaphore release;
    // The chart upload waits: the report stands part way meanwhile.
    peers.answer("WEBUploadTemporaryFile", [&](const QByteArray&) -> std::unique_ptr<Packet> {
        entered.release();
        release.acquire();
        auto answer = std::make_unique<CmdWebUploadTemporaryFileResponse>();
        answer->path = "temp/1/Chart.gif";
        return answer;
    });
    const int id = start(reportDefinition(
        {{"ReportType", "RT_USAGE_COLOR_MONO"}, {"ReportFormat", "Chart"}, {"ChartType", "CT_BAR"}},
        kDevices));
    ASSERT_TRUE(entered.tryAcquire(1, 10000));
    const int progress = status(QString::number(id))->reportStatus.toInt();
    EXPECT_GT(progress, 0);
    EXPECT_LT(progress, 100);

    const auto answer = mail(QString::number(id), {"ops@example.com"}, {"CSV"});
    EXPECT_EQ(answer->result(), ReportResult::InProgress);
    EXPECT_EQ(answer->details(), ReportResult::inProgressText);
    EXPECT_EQ(peers.commands().count("DMSGetProperties"), 0);
    release.release();
    waitForEnd(id);
    EXPECT_EQ(sink.MessageCount(), 0);
}

TEST_F(ReportMailTest, ConcurrentSendingsOfOneReportAllArriveWithTheirFiles) {
    const int id = finishedDeviceList();
    constexpr int senders = 4;
    std::vector<std::thread> threads;
    std::vector<int> results(senders, -1);
    for (int i = 0; i < senders; ++i)
        threads.emplace_back([&, i] {
            results[size_t(i)] = mail(QString::number(id),
                                      {QStringLiteral("user%1@example.com").arg(i)}, {"CSV", "XML"})
                                     ->result();
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(results, std::vector<int>(senders, 0));
    ASSERT_TRUE(sink.WaitForMessages(senders, 5000));

    // The same report exports the same bytes under the same name each time.
    QMap<QString, QByteArray> exported;
    for (const auto& upload : web.uploads())
        exported.insert(upload.fileName, upload.data);
    EXPECT_EQ(web.uploads().size(), 2 * senders);
    ASSERT_EQ(exported.size(), 2);

    QStringList recipients;
    for (int n = 1; n <= senders; ++n) {
        recipients += sink.Envelope(n)["rcpt_tos"].toArray().first().toString();
        QTemporaryDir out;
        const QJsonArray parts = sink.Inspect(n, out.path())["parts"].toArray();
        ASSERT_EQ(parts.size(), 3);
        for (int i = 1; i < 3; ++i) {
            const QString name = parts[i]["filename"].toString();
            EXPECT_TRUE(exported.contains(name)) << name.toStdString();
            EXPECT_EQ(fileBytes(parts[i]["file"].toString()), exported.value(name));
        }
    }
    recipients.sort();
    EXPECT_EQ(recipients, QStringList({"user0@example.com", "user1@example.com",
                                       "user2@example.com", "user3@example.com"}));
}

TEST_F(ReportMailTest, AFailureNoticeCarriesTheTextWithoutAttachments) {
    sendFailureNotice(peers, kSubject, {"ops@example.com"}, ReportResult::noDataText);
    const QJsonObject parsed = sink.Inspect(1, m_out.path());
    EXPECT_EQ(parsed["subject"].toString(), kSubject);
    const QJsonArray parts = parsed["parts"].toArray();
    ASSERT_EQ(parts.size(), 1);
    EXPECT_EQ(shownText(parts[0]), ReportResult::noDataText);
}

TEST(SmtpSettingsTest, PropertiesBecomeSettingsByTheirRules) {
    const SmtpSettings defaults = SmtpSettings::fromProperties({{"SMTPServerName", "mx"}});
    EXPECT_EQ(defaults.server, "mx");
    EXPECT_EQ(defaults.port, 25);
    EXPECT_EQ(defaults.timeoutMs, 60000u);
    EXPECT_TRUE(defaults.login.isEmpty());

    const std::pair<const char*, quint16> ports[] = {
        {"2525", 2525}, {"abc", 0}, {"70000", 0}, {"-1", 0}, {"65535", 65535}};
    for (const auto& [text, port] : ports)
        EXPECT_EQ(SmtpSettings::fromProperties({{"SMTPServerPort", text}}).port, port) << text;
    const std::pair<const char*, quint32> timeouts[] = {
        {"30", 30000}, {"x", 60000}, {"0", 60000}, {"99999999", 4294967295u}};
    for (const auto& [text, timeout] : timeouts)
        EXPECT_EQ(SmtpSettings::fromProperties({{"SMTPServerConnectionTimeout", text}}).timeoutMs,
                  timeout)
            << text;

    for (const char* flag : {"0", "true", "", "yes", " 1"}) {
        const SmtpSettings off = SmtpSettings::fromProperties({{"SMTPRequiresAuthentication", flag},
                                                               {"SMTPServerLogin", "u"},
                                                               {"SMTPServerPassword", "p"}});
        EXPECT_TRUE(off.login.isEmpty() && off.password.isEmpty()) << flag;
    }
    const SmtpSettings on = SmtpSettings::fromProperties({{"SMTPRequiresAuthentication", "1"},
                                                          {"SMTPServerLogin", "u"},
                                                          {"SMTPServerPassword", "p"}});
    EXPECT_EQ(on.login, "u");
    EXPECT_EQ(on.password, "p");
}

TEST(SmtpSettingsTest, ReadWithOneRequestForTheSevenPropertiesInOrder) {
    ScriptedPeers peers;
    ScriptedDeviceManagement devices(peers);
    devices.setProperties({{"SMTPServerName", "mx"}, {"ReplyAddress", "r@x"}});
    const SmtpSettings settings = SmtpSettings::read(peers);
    EXPECT_EQ(settings.server, "mx");
    EXPECT_EQ(settings.from, "r@x");
    EXPECT_EQ(settings.readFailure, "");
    const auto requests = peers.recorder().requests<CmdDMSGetPropertiesRequest>();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]->propertyNames,
              QStringList({"SMTPServerName", "SMTPServerPort", "SMTPRequiresAuthentication",
                           "SMTPServerLogin", "SMTPServerPassword", "SMTPServerConnectionTimeout",
                           "ReplyAddress"}));
}
