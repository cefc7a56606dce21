#include "ReportProcess.h"

#include "VXNServiceFramework/http/HttpClient.h"
#include "support/CoreApplication.h"
#include "support/ScriptedHttpPeer.h"

#include <QTcpServer>

#include <gtest/gtest.h>

#include <csignal>

namespace {

const QByteArray closeRequest = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                                "<VXNRequest command=\"MGMTCloseApplication\">\n</VXNRequest>\n";
const QByteArray okResponse = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><VXNResponse>\n"
                              "\t<Result>0</Result>\n\t<Details>OK</Details>\n</VXNResponse>\n";

QByteArray config(const QString& inner) {
    return ("<VELMReport><Name>VELM Report</Name>" + inner + "</VELMReport>").toUtf8();
}

QUrl local(int port) {
    return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port));
}

class ProcessTest : public ::testing::Test {
protected:
    void SetUp() override { ensureCoreApplication(); }

    // Asks the process to close and checks the answer and that it ends.
    void closeAndExpectEnd(ReportProcess& process, int port) {
        const QByteArray answer = HttpClient().send(
            local(port), QStringLiteral("MGMTCloseApplication"), closeRequest, true);
        EXPECT_EQ(answer, okResponse);
        EXPECT_TRUE(process.waitForEnd());
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0);
    }
};

TEST_F(ProcessTest, NoConfigurationListensOnAutomaticPortAndDoesNotRegister) {
    ReportProcess process;
    process.start({QStringLiteral("-e")});
    const int port = process.waitForListening();
    ASSERT_GT(port, 0) << process.standardOutput().toStdString();
    const QString out = QString::fromUtf8(process.standardOutput());
    EXPECT_TRUE(out.contains(QStringLiteral("VELM Application started: VELM_Report_Plugin")));
    EXPECT_TRUE(out.contains(QStringLiteral("[err] Configuration file VELMReport.cfg not found")))
        << out.toStdString();
    EXPECT_FALSE(out.contains(QStringLiteral("Registration")));
    closeAndExpectEnd(process, port);
    // The loop ended by the command, not by a stop control.
    EXPECT_FALSE(process.standardOutput().contains("VELM Application stopped"));
}

TEST_F(ProcessTest, MalformedConfigurationIsLoggedAndIgnored) {
    ReportProcess process;
    process.writeConfig("<VELMReport><ServiceURL>http://localhost:1/</VELMReport>");
    process.start({QStringLiteral("-e")});
    const int port = process.waitForListening();
    ASSERT_GT(port, 1);
    EXPECT_TRUE(process.standardOutput().contains("[err] Configuration file VELMReport.cfg is not "
                                                  "well-formed XML"));
    closeAndExpectEnd(process, port);
}

TEST_F(ProcessTest, TwoServiceUrlsCountAsNone) {
    const int configured = freePort();
    ReportProcess process;
    process.writeConfig(config(QStringLiteral("<ServiceURL>http://localhost:%1/</ServiceURL>"
                                              "<ServiceURL>http://localhost:%1/</ServiceURL>")
                                   .arg(configured)));
    process.start({QStringLiteral("-e")});
    const int port = process.waitForListening();
    ASSERT_GT(port, 0);
    EXPECT_NE(port, configured);
    closeAndExpectEnd(process, port);
}

TEST_F(ProcessTest, PortInUseEndsTheProcess) {
    QTcpServer busy;
    ASSERT_TRUE(busy.listen(QHostAddress::AnyIPv4, 0));
    ReportProcess process;
    process.writeConfig(config(
        QStringLiteral("<ServiceURL>http://localhost:%1/</ServiceURL>").arg(busy.serverPort())));
    process.start({QStringLiteral("-e")});
    ASSERT_TRUE(process.waitForEnd());
    const QString out = QString::fromUtf8(process.standardOutput());
    EXPECT_TRUE(
        out.contains(QStringLiteral("[err] Error listening port: %1\n").arg(busy.serverPort())))
        << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("[err] The listener says: ") +
                             QStringLiteral("The bound address is already in use")))
        << out.toStdString();
    EXPECT_FALSE(out.contains(QStringLiteral("Listening incomming requests")));
    // A failed start is a failure for whoever started the process.
    EXPECT_NE(process.exitCode(), 0);
    EXPECT_EQ(process.standardError(), "The service could not be started.\n");
}

TEST_F(ProcessTest, RegistersEveryCommandWithTheNamingService) {
    ScriptedHttpPeer naming;
    naming.enqueue(ScriptedHttpPeer::ok("<?xml version=\"1.0\" encoding=\"UTF-8\"?><VXNResponse>\n"
                                        "\t<Result>0</Result>\n\t<Details>OK</Details>\n"
                                        "</VXNResponse>\n"));
    const int port = freePort();
    ReportProcess process;
    process.writeConfig(config(QStringLiteral("<DispatcherURL>%1</DispatcherURL>"
                                              "<ServiceURL>http://localhost:%2/</ServiceURL>")
                                   .arg(naming.url().toString())
                                   .arg(port)));
    process.start({QStringLiteral("-e")});
    ASSERT_EQ(process.waitForListening(), port);
    ASSERT_FALSE(process.waitForLine(QStringLiteral("Registration successful")).isEmpty())
        << process.standardOutput().toStdString();
    ASSERT_EQ(naming.requests().size(), 1u);
    const ScriptedHttpPeer::Request request = naming.requests().front();
    EXPECT_EQ(request.target, QStringLiteral("NSRegisterService"));
    EXPECT_EQ(request.body,
              QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><VXNRequest "
                             "command=\"NSRegisterService\">\n\t<URL>http://localhost:%1/</URL>\n"
                             "\t<method>MGMTCloseApplication</method>\n"
                             "\t<method>RGPAddReportTemplate</method>\n"
                             "\t<method>RGPCancelReport</method>\n"
                             "\t<method>RGPDeleteReportTemplate</method>\n"
                             "\t<method>RGPExportReport</method>\n"
                             "\t<method>RGPGenerateAndSendReportByEmail</method>\n"
                             "\t<method>RGPGenerateReport</method>\n"
                             "\t<method>RGPGetCurrentUsageCounters</method>\n"
                             "\t<method>RGPGetReportCategories</method>\n"
                             "\t<method>RGPGetReportResults</method>\n"
                             "\t<method>RGPGetReportStatus</method>\n"
                             "\t<method>RGPGetReportTemplate</method>\n"
                             "\t<method>RGPGetReportTemplateList</method>\n"
                             "\t<method>RGPSendReportByEmail</method>\n"
                             "\t<method>RGPSetReportTemplate</method>\n"
                             "\t<method>SchGetEventsInfo</method>\n\t<method>SchRegister</method>\n"
                             "\t<method>SchUnregister</method>\n</VXNRequest>\n")
                  .arg(port)
                  .toUtf8());
    EXPECT_TRUE(process.standardOutput().contains(
        ("[info] Registration in naming service: " + naming.url().toString()).toUtf8()));
    closeAndExpectEnd(process, port);
}

TEST_F(ProcessTest, FailedRegistrationKeepsServing) {
    ScriptedHttpPeer naming;
    naming.enqueue(ScriptedHttpPeer::ok("<?xml version=\"1.0\" encoding=\"UTF-8\"?><VXNResponse>\n"
                                        "\t<Result>9</Result>\n\t<Details>No</Details>\n"
                                        "</VXNResponse>\n"));
    ReportProcess process;
    process.writeConfig(
        config(QStringLiteral("<DispatcherURL>%1</DispatcherURL>").arg(naming.url().toString())));
    process.start({QStringLiteral("-e")});
    const int port = process.waitForListening();
    ASSERT_GT(port, 0);
    EXPECT_FALSE(process.waitForLine(QStringLiteral("[info] Registration failed")).isEmpty());
    closeAndExpectEnd(process, port);
}

TEST_F(ProcessTest, UnknownCommandAnswersTheEmptyEnvelope) {
    ReportProcess process;
    process.start({QStringLiteral("-e")});
    const int port = process.waitForListening();
    ASSERT_GT(port, 0);
    const QByteArray answer =
        HttpClient().send(local(port), QStringLiteral("NoSuchCommand"), "<x/>", true);
    EXPECT_EQ(answer, QByteArray(reinterpret_cast<const char*>(
                                     u"<?xml version=\"1.0\" encoding=\"UTF-16\" standalone=\"no\" "
                                     u"?><VXNResponse/>"),
                                 2 * 70));
    closeAndExpectEnd(process, port);
}

TEST_F(ProcessTest, StopSignalsRunTheStopSequence) {
    for (int sig : {SIGTERM, SIGINT}) {
        ReportProcess process;
        process.start({QStringLiteral("-e")});
        ASSERT_GT(process.waitForListening(), 0);
        ::kill(static_cast<pid_t>(process.pid()), sig);
        ASSERT_TRUE(process.waitForEnd()) << sig;
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << sig;
        EXPECT_EQ(process.exitCode(), 0) << sig;
        EXPECT_TRUE(process.standardOutput().contains(
            "[info] VELM Application stopped: VELM_Report_Plugin"))
            << sig << process.standardOutput().toStdString();
    }
}

// A stop during start-up ends the registration's retries and its wait for an answer at once.
// The retry schedule alone (four pauses of 3 s after the first refused attempt) and the wait for
// an answer (120 s) outlast the bound given for the end.
TEST_F(ProcessTest, StopDuringRegistrationEndsItAtOnceAndStopsCleanly) {
    QTcpServer silent; // accepts (the system's backlog does) and never answers
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    const struct {
        const char* name;
        QUrl naming;
        QString before; // the line that shows the registration waiting
    } cases[] = {
        {"absent", local(freePort()), QStringLiteral("SendRequest retry in 3sec.")},
        {"silent", local(silent.serverPort()), QStringLiteral("Registration in naming service")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReportProcess process;
        process.writeConfig(
            config(QStringLiteral("<DispatcherURL>%1</DispatcherURL>").arg(c.naming.toString())));
        process.start({QStringLiteral("-e")});
        ASSERT_GT(process.waitForListening(), 0);
        ASSERT_FALSE(process.waitForLine(c.before).isEmpty())
            << process.standardOutput().toStdString();
        ::kill(static_cast<pid_t>(process.pid()), SIGTERM);
        ASSERT_TRUE(process.waitForEnd(10000)) << process.standardOutput().toStdString();
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0);
        const QByteArray out = process.standardOutput();
        EXPECT_TRUE(out.contains("[info] Registration abandoned: the service is stopping"))
            << out.toStdString();
        EXPECT_FALSE(out.contains("Registration successful"));
        EXPECT_TRUE(out.contains("[info] VELM Application stopped: VELM_Report_Plugin"))
            << out.toStdString();
    }
}

} // namespace
