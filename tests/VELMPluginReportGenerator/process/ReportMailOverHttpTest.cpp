// A report mailed by velm-report as a user asks for it with velmctl: velm-peers holds the mail
// settings (written with --set) and stores the export, a real SMTP server receives the mail.
#include "support/ChildProcess.h"
#include "support/PacketCall.h"
#include "support/ScriptedHttpPeer.h"
#include "support/SmtpSink.h"
#include "support/TestInstallation.h"

#include "VELMPluginReportGenerator/Commands/CmdRGPGenerateReportRequest.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGenerateReportResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGetReportStatusResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPReportIdRequest.h"

#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

namespace {

const QString kBin = QStringLiteral(VELM_BINARY_DIR "/bin/");

struct ProgramRun {
    int exitCode = -1;
    QString out;
    QString err;
};

ProgramRun run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(kBin + program, arguments);
    ProgramRun result;
    if (!process.waitForFinished(120000))
        return result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// The one file below `directory` whose name matches `pattern`; empty unless exactly one.
QString onlyFile(const QString& directory, const QString& pattern) {
    QStringList found;
    QDirIterator it(directory, {pattern}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        found.append(it.next());
    return found.size() == 1 ? found.first() : QString();
}

// The naming service's answer to NSFindService (and, with an empty URL, to NSRegisterService).
QByteArray namingAnswer(const QString& url = {}) {
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?><VXNResponse><Result>0</Result>"
               "<Details>OK</Details><ServiceURL>%1</ServiceURL></VXNResponse>")
        .arg(url)
        .toUtf8();
}

QString lookedUpCommand(const ScriptedHttpPeer::Request& request) {
    static const QRegularExpression command(QStringLiteral("<Command>(.*)</Command>"));
    return command.match(QString::fromUtf8(request.body)).captured(1);
}

// velm-peers on a two-day fleet whose device management names the SMTP sink, and velm-report
// started by each test with the naming service it needs.
class ReportMailOverHttp : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(sink.Port(), 0) << "the aiosmtpd server did not start";
        const QString db = dir.filePath("fleet.db");
        ASSERT_EQ(run("velm-peers", {"--db", db, "--generate-fleet", "3", "--days", "2"}).exitCode,
                  0);
        const ProgramRun set =
            run("velm-peers", {"--db", db, "--set", "SMTPServerName=127.0.0.1", "--set",
                               "SMTPServerPort=" + QString::number(sink.Port()), "--set",
                               QString::fromUtf8("ReplyAddress=Berichte <r@example.com>")});
        ASSERT_EQ(set.exitCode, 0) << set.err.toStdString();
        ASSERT_TRUE(peers.startPeers(db, html)) << peers.output().toStdString();
    }

    void startReport(const QUrl& naming) {
        ASSERT_TRUE(report.startReport(dir.filePath("report"), naming))
            << report.output().toStdString();
    }

    // Generates the report and waits until it has finished; its id.
    QString finishedReport(const QMap<QString, QString>& parameters) {
        CmdRGPGenerateReportRequest generate;
        ReportDefinition definition;
        definition.parameters = parameters;
        definition.selection.deviceIds = {"1"};
        generate.definition = definition;
        const QString id =
            callOverHttp<CmdRGPGenerateReportResponse>(report.url(), generate)->reportId;
        for (int i = 0; i < 500 && !id.isEmpty(); ++i) {
            CmdRGPGetReportStatusRequest status;
            status.reportId = id;
            if (callOverHttp<CmdRGPGetReportStatusResponse>(report.url(), status)->reportStatus ==
                "100")
                return id;
            QThread::msleep(20);
        }
        ADD_FAILURE() << "report " << id.toStdString() << " did not finish";
        return id;
    }

    ProgramRun velmctl(const QStringList& arguments) {
        return run("velmctl", QStringList{"--url", report.url().toString()} + arguments);
    }

    SmtpSink sink;
    QTemporaryDir dir;
    // The installation velm-report reads: exports are found below <Path>/html, where the web
    // service stores them.
    TestInstallation installation;
    const QString html = installation.path() + "/html";
    ChildProcess peers;
    ChildProcess report;
};

} // namespace

TEST_F(ReportMailOverHttp, VelmctlMailsAnExportedReportThroughTheConfiguredServer) {
    startReport(peers.url());
    const QString id = finishedReport({{"ReportType", "RT_DEVICE_LIST"}});
    ASSERT_FALSE(id.isEmpty());

    const QString subject = QString::fromUtf8("Geräteliste für Köln");
    const ProgramRun mailed =
        velmctl({"report", "mail", id, "--to", "ops@example.com", "--to", "Jürgen <j@example.com>",
                 "--format", "XML", "--subject", subject});
    ASSERT_EQ(mailed.exitCode, 0) << mailed.err.toStdString();
    EXPECT_EQ(mailed.out, QStringLiteral("Report %1 mailed to ops@example.com, Jürgen "
                                         "<j@example.com> with XML.\n")
                              .arg(id));

    ASSERT_TRUE(sink.WaitForMessages(1, 5000));
    const QJsonObject parsed = sink.Inspect(1, dir.path());
    EXPECT_EQ(parsed["subject"].toString(), subject);
    EXPECT_EQ(sink.Envelope(1)["mail_from"].toString(), "r@example.com");
    EXPECT_EQ(sink.Envelope(1)["rcpt_tos"].toArray(),
              QJsonArray({"ops@example.com", "j@example.com"}));
    const QJsonArray parts = parsed["parts"].toArray();
    ASSERT_EQ(parts.size(), 2);
    EXPECT_EQ(parts[0]["text"].toString().trimmed(), "Quillex report");
    const QString exported = onlyFile(html, "Report_*.xml");
    ASSERT_FALSE(exported.isEmpty());
    EXPECT_EQ(parts[1]["filename"].toString(), QFileInfo(exported).fileName());
    EXPECT_EQ(fileBytes(parts[1]["file"].toString()), fileBytes(exported));
    EXPECT_TRUE(fileBytes(exported).contains("<Body>"));

    // Refusals reach the user as text and a non-zero exit code; nothing more is sent.
    const ProgramRun unknown = velmctl({"report", "mail", "99", "--to", "ops@example.com"});
    EXPECT_EQ(unknown.exitCode, 3);
    EXPECT_EQ(unknown.err, "velmctl: Requesting Invalid Report ID (Result 107)\n");
    const ProgramRun noRecipient = velmctl({"report", "mail", id});
    EXPECT_EQ(noRecipient.exitCode, 64);
    EXPECT_EQ(sink.MessageCount(), 1);
}

// A chart report is mailed with its image whatever formats were asked for, and velmctl says so.
TEST_F(ReportMailOverHttp, AChartReportIsSaidToGoWithItsImage) {
    startReport(peers.url());
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const QString id = finishedReport({{"ReportType", "RT_USAGE_COLOR_MONO"},
                                       {"ReportFormat", "Chart"},
                                       {"ChartType", "CT_BAR"},
                                       {"Interval", "I_DAY"},
                                       {"Period", "P_CUSTOM"},
                                       {"From", QString::number(now - 4 * 86400)},
                                       {"To", QString::number(now)}});
    ASSERT_FALSE(id.isEmpty());
    const QString chart = onlyFile(html, "Chart*.gif");
    ASSERT_FALSE(chart.isEmpty());

    const ProgramRun mailed =
        velmctl({"report", "mail", id, "--to", "ops@example.com", "--format", "XML"});
    ASSERT_EQ(mailed.exitCode, 0) << mailed.err.toStdString();
    EXPECT_EQ(mailed.out, QStringLiteral("Report %1 mailed to ops@example.com with the chart image "
                                         "%2.\n")
                              .arg(id, QFileInfo(chart).fileName()));
    ASSERT_TRUE(sink.WaitForMessages(1, 5000));
    const QJsonArray parts = sink.Inspect(1, dir.path())["parts"].toArray();
    ASSERT_EQ(parts.size(), 2);
    EXPECT_EQ(parts[1]["filename"].toString(), QFileInfo(chart).fileName());
    EXPECT_EQ(fileBytes(parts[1]["file"].toString()), fileBytes(chart));
    EXPECT_TRUE(onlyFile(html, "Report_*.xml").isEmpty());
}

// Device management that fails to answer leaves the mail without a server: the code stays 103,
// but the user reads that the settings could not be read, and why, not that none is configured.
TEST_F(ReportMailOverHttp, UnreadableMailSettingsAreNamedAsTheReason) {
    ScriptedHttpPeer deviceManagement;
    deviceManagement.setResponder([](const ScriptedHttpPeer::Request&) {
        ScriptedHttpPeer::Reply hangUp = ScriptedHttpPeer::ok({});
        hangUp.answer = false;
        return hangUp;
    });
    // Everything is where velm-peers serves it, except the mail settings.
    ScriptedHttpPeer naming;
    const QString peersUrl = peers.url().toString();
    naming.setResponder([&](const ScriptedHttpPeer::Request& request) {
        if (request.target != QLatin1String("NSFindService"))
            return ScriptedHttpPeer::ok(namingAnswer());
        return ScriptedHttpPeer::ok(namingAnswer(lookedUpCommand(request) == "DMSGetProperties"
                                                     ? deviceManagement.url().toString()
                                                     : peersUrl));
    });
    startReport(naming.url());
    const QString id = finishedReport({{"ReportType", "RT_DEVICE_LIST"}});
    ASSERT_FALSE(id.isEmpty());

    const ProgramRun mailed = velmctl({"report", "mail", id, "--to", "ops@example.com"});
    EXPECT_EQ(mailed.exitCode, 3);
    EXPECT_EQ(mailed.err, "velmctl: The mail settings could not be read: DMSGetProperties failed "
                          "with Result 6: Communication with service failed (Result 103)\n");
    EXPECT_EQ(deviceManagement.requests().size(), 1u);
    EXPECT_EQ(sink.MessageCount(), 0);
}
