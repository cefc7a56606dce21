#include "ReportGeneratorFixture.h"
#include "support/TestInstallation.h"

#include "VELMPluginReportGenerator/Commands/CmdRGPExportReportRequest.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPExportReportResponse.h"
#include "VELMPluginReportGenerator/export/ReportExport.h"
#include "VELMPluginReportGenerator/report/ReportResult.h"

#include "VXNServiceFramework/dom/DomParser.h"
#include "VXNServiceFramework/dom/DomRead.h"
#include "VXNServiceFramework/packets/ResponsePacket.h"
#include "VXNServiceFramework/packets/ResultCodes.h"
#include "support/ScriptedWebUpload.h"

#include <thread>

namespace {

// The device list's script: every query answers one device row.
ScriptedReportPeers::DatabaseAnswer deviceRows(const QStringList& queries) {
    ScriptedReportPeers::DatabaseAnswer answer;
    for (qsizetype i = 0; i < queries.size(); ++i)
        answer.sets.append(ScriptedReportPeers::rows(
            {{{"DeviceID", "3"}, {"IP", "10.0.0.3"}, {"Model", "Quill <5>"}}}));
    return answer;
}

} // namespace

class ExportCommandTest : public ReportGeneratorTest {
protected:
    ExportCommandTest() { peers.onDatabase(deviceRows); }

    std::unique_ptr<CmdRGPExportReportResponse>
    exportReport(const QString& id, const QString& format, const QString& locale = {}) {
        CmdRGPExportReportRequest request;
        request.reportId = id;
        request.fileFormat = format;
        request.locale = locale;
        // Through the bytes both ways, as over the wire.
        QByteArray body;
        request.serialize(body);
        std::unique_ptr<Packet> answer =
            service->dispatch(CmdRGPExportReportRequest::commandName, body);
        QByteArray bytes;
        answer->serialize(bytes);
        auto read = std::make_unique<CmdRGPExportReportResponse>();
        read->parse(bytes);
        return read;
    }

    int finishedDeviceList() {
        const int id =
            start(reportDefinition({{"ReportType", "RT_DEVICE_LIST"}}, {{"3"}, {}, {}, {}, {}}));
        EXPECT_EQ(waitForEnd(id)->reportStatus, "100");
        return id;
    }

    TestInstallation installation;
    ScriptedWebUpload web{peers};
};

TEST_F(ExportCommandTest, UnknownIdsAnswer107AndRunningReports108) {
    for (const char* id : {"", "x", "5", "-1"}) {
        const auto answer = exportReport(id, "XML");
        EXPECT_EQ(answer->result(), ReportResult::InvalidReportId) << id;
        EXPECT_EQ(answer->details(), ReportResult::invalidReportIdText) << id;
        EXPECT_EQ(answer->filePath, "") << id;
    }
    peers.hold();
    const int id =
        start(reportDefinition({{"ReportType", "RT_DEVICE_LIST"}}, {{"3"}, {}, {}, {}, {}}));
    const auto running = exportReport(QString::number(id), "XML");
    peers.release();
    EXPECT_EQ(running->result(), ReportResult::InProgress);
    EXPECT_EQ(running->details(), ReportResult::inProgressText);
    EXPECT_TRUE(web.uploads().isEmpty());
}

TEST_F(ExportCommandTest, AnXmlExportUploadsInfoAndBodyUnderTheCreationTime) {
    const qint64 created = clock.now().toSecsSinceEpoch();
    const int id = finishedDeviceList();
    const auto answer = exportReport(QString::number(id), "XML");
    EXPECT_EQ(answer->result(), 0);
    const auto uploads = web.uploads();
    ASSERT_EQ(uploads.size(), 1);
    EXPECT_EQ(answer->filePath, uploads[0].path);
    EXPECT_EQ(uploads[0].fileName,
              "Report_" + QDateTime::fromSecsSinceEpoch(created).toString("yyyyMMdd_hhmmss") +
                  ".xml");
    const dom::ParseResult file = dom::parse(uploads[0].data);
    ASSERT_TRUE(file.ok()) << file.error.toStdString();
    QStringList children;
    dom::forEachChild(file.document.root(),
                      [&](dom::Element* child) { children << dom::name(child); });
    EXPECT_EQ(children, QStringList({"Info", "Body"}));
    EXPECT_TRUE(uploads[0].data.contains("Quill &lt;5&gt;"));
}

TEST_F(ExportCommandTest, TheHtmlExportIsTheStylesheetsOutputAndAnUnknownFormatAnEmptyFile) {
    installation.writeStylesheet("de", "ReportResult_type2_htm.xsl",
                                 "<xsl:stylesheet version=\"1.0\" "
                                 "xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
                                 "<xsl:output method=\"text\"/><xsl:template match=\"/\">"
                                 "<xsl:value-of select=\"count(/VXNResponse/*)\"/>:"
                                 "<xsl:value-of select=\"//IP\"/></xsl:template></xsl:stylesheet>");
    const QString id = QString::number(finishedDeviceList());
    EXPECT_FALSE(exportReport(id, "HTML", "de")->filePath.isEmpty());
    EXPECT_FALSE(exportReport(id, "html", "de")->filePath.isEmpty());
    const auto uploads = web.uploads();
    ASSERT_EQ(uploads.size(), 2);
    EXPECT_TRUE(uploads[0].fileName.endsWith(".htm"));
    EXPECT_EQ(uploads[0].data, "2:10.0.0.3");
    EXPECT_TRUE(uploads[1].fileName.endsWith("."));
    EXPECT_TRUE(uploads[1].data.isEmpty());
}

TEST_F(ExportCommandTest, AFailedUploadAnswersTheUploadsFailureAndNoPath) {
    const int id = finishedDeviceList();
    peers.fail("WEBUploadTemporaryFile", ScriptedWebUpload::storeFailed, "disk full");
    const auto answer = exportReport(QString::number(id), "XML");
    EXPECT_EQ(answer->result(), ScriptedWebUpload::storeFailed);
    EXPECT_EQ(answer->details(), "disk full");
    EXPECT_EQ(answer->filePath, "");
    // The plain call, as the e-mail step makes it, says the same.
    const ExportOutcome outcome = exportReportById(*service, QString::number(id), "CSV", "en");
    EXPECT_EQ(outcome.result, ScriptedWebUpload::storeFailed);
    EXPECT_EQ(outcome.details, "disk full");
    EXPECT_EQ(outcome.filePath, "");
}

TEST_F(ExportCommandTest, AnUploadAnsweredWithoutAPathIsNoExportedFile) {
    const int id = finishedDeviceList();
    // What a process that does not serve uploads answers: an envelope without elements.
    peers.answer("WEBUploadTemporaryFile",
                 [](const QByteArray&) { return std::make_unique<ResponsePacket>(); });
    const auto answer = exportReport(QString::number(id), "XML");
    EXPECT_EQ(answer->result(), ResultCode::WrongResponseFormat);
    EXPECT_EQ(answer->details(), "Wrong response format: the web service answered no file path");
    EXPECT_EQ(answer->filePath, "");
}

TEST_F(ExportCommandTest, AFailedReportExportsWhatItHolds) {
    peers.onDatabase([](const QStringList&) { return ScriptedReportPeers::failure(); });
    const int id =
        start(reportDefinition({{"ReportType", "RT_DEVICE_LIST"}}, {{"3"}, {}, {}, {}, {}}));
    waitForEnd(id);
    const ExportOutcome outcome = exportReportById(*service, QString::number(id), "XML", "");
    EXPECT_EQ(outcome.result, 0);
    ASSERT_FALSE(outcome.filePath.isEmpty());
    EXPECT_TRUE(web.dataAt(outcome.filePath).contains("<Info>"));
}

TEST_F(ExportCommandTest, ConcurrentExportsOfOneReportUploadOneFileEach) {
    installation.writeStylesheet("en", "ReportResult_type2_csv.xsl", taggedRowsStylesheet("csv"));
    const QString id = QString::number(finishedDeviceList());
    std::vector<std::thread> exporters;
    std::vector<QString> paths(8);
    for (size_t i = 0; i < paths.size(); ++i)
        exporters.emplace_back([&, i] {
            paths[i] = exportReportById(*service, id, i % 2 ? "CSV" : "XML", "en").filePath;
        });
    for (auto& exporter : exporters)
        exporter.join();
    const auto uploads = web.uploads();
    ASSERT_EQ(uploads.size(), 8);
    for (size_t i = 0; i < paths.size(); ++i) {
        const QByteArray data = web.dataAt(paths[i]);
        EXPECT_TRUE(i % 2 ? data.startsWith("csv:") : data.startsWith("<?xml")) << i;
    }
}
