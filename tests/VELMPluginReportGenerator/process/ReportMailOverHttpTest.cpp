// A report mailed by velm-report as a user asks for it with velmctl: velm-peers holds the mail
// settings (written with --set) and stores the export, a real SMTP server receives the mail.
#include "support/ChildProcess.h"
#include "support/PacketCall.h"
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

} // namespace

TEST(ReportMailOverHttp, VelmctlMailsAnExportedReportThroughTheConfiguredServer) {
    SmtpSink sink;
    ASSERT_NE(sink.Port(), 0) << "the aiosmtpd server did not start";
    QTemporaryDir dir;
    const QString db = dir.filePath("fleet.db");
    ASSERT_EQ(run("velm-peers", {"--db", db, "--generate-fleet", "3", "--days", "1"}).exitCode, 0);
    const ProgramRun set =
        run("velm-peers", {"--db", db, "--set", "SMTPServerName=127.0.0.1", "--set",
                           "SMTPServerPort=" + QString::number(sink.Port()), "--set",
                           QString::fromUtf8("ReplyAddress=Berichte <r@example.com>")});
    ASSERT_EQ(set.exitCode, 0) << set.err.toStdString();

    // The installation velm-report reads: exports are found below <Path>/html, where the web
    // service stores them.
    TestInstallation installation;
    const QString html = installation.path() + "/html";

    ChildProcess peers;
    ChildProcess report;
    ASSERT_TRUE(peers.startPeers(db, html)) << peers.output().toStdString();
    ASSERT_TRUE(report.startReport(dir.filePath("report"), peers.url()))
        << report.output().toStdString();

    CmdRGPGenerateReportRequest generate;
    ReportDefinition definition;
    definition.parameters.insert("ReportType", "RT_DEVICE_LIST");
    generate.definition = definition;
    const QString id = callOverHttp<CmdRGPGenerateReportResponse>(report.url(), generate)->reportId;
    ASSERT_FALSE(id.isEmpty());
    for (int i = 0; i < 500; ++i) {
        CmdRGPGetReportStatusRequest status;
        status.reportId = id;
        if (callOverHttp<CmdRGPGetReportStatusResponse>(report.url(), status)->reportStatus ==
            "100")
            break;
        QThread::msleep(20);
    }

    const QString subject = QString::fromUtf8("Geräteliste für Köln");
    const ProgramRun mailed =
        run("velmctl",
            {"--url", report.url().toString(), "report", "mail", id, "--to", "ops@example.com",
             "--to", "Jürgen <j@example.com>", "--format", "XML", "--subject", subject});
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
    const ProgramRun unknown = run("velmctl", {"--url", report.url().toString(), "report", "mail",
                                               "99", "--to", "ops@example.com"});
    EXPECT_EQ(unknown.exitCode, 3);
    EXPECT_EQ(unknown.err, "velmctl: Requesting Invalid Report ID (Result 107)\n");
    const ProgramRun noRecipient =
        run("velmctl", {"--url", report.url().toString(), "report", "mail", id});
    EXPECT_EQ(noRecipient.exitCode, 64);
    EXPECT_EQ(sink.MessageCount(), 1);
}
