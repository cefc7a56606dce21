// Export inside velm-report over HTTP, uploading to the web service of velm-peers, with the
// installation directory taken from the system settings both processes inherit.
#include "support/ChildProcess.h"
#include "support/PacketCall.h"
#include "support/TestInstallation.h"

#include "VELMPluginReportGenerator/Commands/CmdRGPExportReportRequest.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPExportReportResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGenerateReportRequest.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGenerateReportResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGetReportStatusResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPReportIdRequest.h"
#include "VELMPluginReportGenerator/report/ReportResult.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

namespace {

QByteArray fileAt(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class ExportOverHttp : public testing::Test {
protected:
    void SetUp() override {
        QProcess generator;
        generator.start(
            QStringLiteral(VELM_BINARY_DIR "/bin/velm-peers"),
            {"--db", installation.path() + "/fleet.db", "--generate-fleet", "4", "--days", "1"});
        ASSERT_TRUE(generator.waitForFinished(120000));
        ASSERT_TRUE(
            peers.startPeers(installation.path() + "/fleet.db", installation.path() + "/html"))
            << peers.output().toStdString();
        ASSERT_TRUE(report.startReport(installation.path() + "/report", peers.url()))
            << report.output().toStdString();
    }
    void TearDown() override {
        report.terminate();
        peers.terminate();
    }

    QString finishedDeviceList() {
        CmdRGPGenerateReportRequest generate;
        ReportDefinition definition;
        definition.parameters.insert("ReportType", "RT_DEVICE_LIST");
        definition.selection.deviceIds = QStringList{"1", "2"};
        generate.definition = definition;
        const QString id =
            callOverHttp<CmdRGPGenerateReportResponse>(report.url(), generate)->reportId;
        for (int polls = 0; polls < 500; ++polls) {
            CmdRGPGetReportStatusRequest status;
            status.reportId = id;
            const auto answer = callOverHttp<CmdRGPGetReportStatusResponse>(report.url(), status);
            if (answer->result() != 0 || answer->reportStatus == "100")
                break;
            QThread::msleep(20);
        }
        return id;
    }

    std::unique_ptr<CmdRGPExportReportResponse>
    exportReport(const QString& id, const QString& format, const QString& locale) {
        CmdRGPExportReportRequest request;
        request.reportId = id;
        request.fileFormat = format;
        request.locale = locale;
        return callOverHttp<CmdRGPExportReportResponse>(report.url(), request);
    }

    TestInstallation installation; // before the processes: they inherit its settings
    ChildProcess peers;
    ChildProcess report;
};

} // namespace

TEST_F(ExportOverHttp, ExportedFilesLieBelowTheInstallationsHtmlDirectoryUnderTheReturnedPath) {
    installation.writeStylesheet("de", "ReportResult_type2_csv.xsl", taggedRowsStylesheet("de"));
    const QString id = finishedDeviceList();

    const auto csv = exportReport(id, "CSV", "de");
    ASSERT_EQ(csv->result(), 0) << csv->details().toStdString();
    ASSERT_FALSE(csv->filePath.isEmpty());
    EXPECT_TRUE(csv->filePath.endsWith(".csv")) << csv->filePath.toStdString();
    const QByteArray table = fileAt(installation.path() + "/html/" + csv->filePath);
    EXPECT_TRUE(table.startsWith("de:[")) << table.toStdString();
    // Every one of the four devices is a row of the list.
    EXPECT_EQ(table.count('['), 4) << table.toStdString();

    const auto xml = exportReport(id, "XML", "");
    ASSERT_FALSE(xml->filePath.isEmpty());
    const QByteArray document = fileAt(installation.path() + "/html/" + xml->filePath);
    EXPECT_TRUE(document.contains("<ReportType>RT_DEVICE_LIST</ReportType>"));

    // No stylesheet for English: the file tells why it holds no table.
    const auto missing = exportReport(id, "HTML", "");
    ASSERT_FALSE(missing->filePath.isEmpty());
    EXPECT_TRUE(fileAt(installation.path() + "/html/" + missing->filePath)
                    .contains("ReportResult_type2_htm.xsl"));
}

// A file the web service did not store is no export: the answer says why instead of OK.
TEST_F(ExportOverHttp, AFileTheWebServiceDidNotStoreAnswersItsRefusal) {
    const QString id = finishedDeviceList();
    const QString uploads = installation.path() + "/html/temp";
    QDir(uploads).removeRecursively();
    QFile blocker(uploads); // where the web service makes a directory per file
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    const auto refused = exportReport(id, "XML", "");
    EXPECT_NE(refused->result(), 0);
    EXPECT_TRUE(refused->details().contains("Cannot create the directory"))
        << refused->details().toStdString();
    EXPECT_TRUE(refused->filePath.isEmpty());

    ASSERT_TRUE(QFile::remove(uploads));
    const auto stored = exportReport(id, "XML", "");
    EXPECT_EQ(stored->result(), 0) << stored->details().toStdString();
    EXPECT_FALSE(stored->filePath.isEmpty());
}

TEST_F(ExportOverHttp, AnUnknownReportIsRefused) {
    const auto unknown = exportReport("42", "XML", "");
    EXPECT_EQ(unknown->result(), ReportResult::InvalidReportId);
    EXPECT_EQ(unknown->details(), ReportResult::invalidReportIdText);
}
