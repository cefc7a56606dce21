#include "ReportProcesses.h"

#include "support/PacketCall.h"

#include "VELMPluginReportGenerator/Commands/CmdRGPGenerateReportRequest.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGenerateReportResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGetReportStatusResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPReportIdRequest.h"
#include "peers/CmdDBSProcessQueryRequest.h"
#include "peers/CmdDBSProcessQueryResponse.h"

#include <QThread>

void ReportProcessesTest::SetUp() {
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(peers.startPeers(dir.filePath("fleet.db"), dir.filePath("html")))
        << peers.output().toStdString();
    ASSERT_TRUE(report.startReport(dir.filePath("report"), peers.url()))
        << report.output().toStdString();
}

void ReportProcessesTest::exec(const QStringList& statements) {
    CmdDBSProcessQueryRequest request;
    for (const auto& s : statements)
        request.addQuery(s);
    const auto answer = callOverHttp<CmdDBSProcessQueryResponse>(peers.url(), request);
    ASSERT_EQ(answer->result(), 0) << answer->details().toStdString();
}

std::unique_ptr<CmdRGPGetReportResultsResponse>
ReportProcessesTest::generate(const QList<std::pair<QString, QString>>& parameters,
                              ReportSelection selection) {
    ReportDefinition definition;
    for (const auto& [name, value] : parameters)
        definition.parameters.insert(name, value);
    definition.selection = std::move(selection);
    CmdRGPGenerateReportRequest request;
    request.definition = definition;
    const auto generated = callOverHttp<CmdRGPGenerateReportResponse>(report.url(), request);
    EXPECT_EQ(generated->result(), 0) << generated->details().toStdString();
    for (;;) {
        CmdRGPGetReportStatusRequest status;
        status.reportId = generated->reportId;
        const auto answer = callOverHttp<CmdRGPGetReportStatusResponse>(report.url(), status);
        if (answer->result() != 0 || answer->reportStatus == QStringLiteral("100"))
            break;
        QThread::msleep(20);
    }
    CmdRGPGetReportResultsRequest results;
    results.reportId = generated->reportId;
    return callOverHttp<CmdRGPGetReportResultsResponse>(report.url(), results);
}
