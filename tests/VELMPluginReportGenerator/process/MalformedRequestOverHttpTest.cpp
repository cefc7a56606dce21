// Request bodies that cannot be read as XML, sent as raw bytes to the report generator inside
// velm-report: every command answers the framework's wrong-format result and nothing starts
// or is stored.
#include "ReportProcesses.h"

#include "support/PacketCall.h"

#include "VELMPluginReportGenerator/Commands/CCmdRGPGetReportTemplateListResponse.h"
#include "VELMPluginReportGenerator/report/ReportResult.h"

#include "VXNServiceFramework/dom/DomRead.h"
#include "VXNServiceFramework/http/HttpClient.h"
#include "VXNServiceFramework/packets/ResponsePacket.h"
#include "VXNServiceFramework/packets/ResultCodes.h"

namespace {

// Every command of the report generator whose request is a DOM document.
const QStringList domCommands = {
    QStringLiteral("RGPGenerateReport"),         QStringLiteral("RGPGetReportStatus"),
    QStringLiteral("RGPCancelReport"),           QStringLiteral("RGPGetReportResults"),
    QStringLiteral("RGPExportReport"),           QStringLiteral("RGPSendReportByEmail"),
    QStringLiteral("RGPGetReportTemplate"),      QStringLiteral("RGPAddReportTemplate"),
    QStringLiteral("RGPSetReportTemplate"),      QStringLiteral("RGPDeleteReportTemplate"),
    QStringLiteral("RGPGetReportTemplateList"),  QStringLiteral("RGPGenerateAndSendReportByEmail"),
    QStringLiteral("RGPGetCurrentUsageCounters")};

class MalformedRequestOverHttp : public ReportProcessesTest {
protected:
    std::unique_ptr<ResponsePacket> send(const QString& command, const QByteArray& body) {
        auto answer = std::make_unique<ResponsePacket>();
        answer->parse(HttpClient().send(report.url(), command, body, true));
        return answer;
    }
};

TEST_F(MalformedRequestOverHttp, UnreadableBodiesAnswerWrongRequestFormat) {
    for (const QString& command : domCommands) {
        const QByteArray opening =
            QStringLiteral("<VXNRequest command=\"%1\">").arg(command).toUtf8();
        const QList<QByteArray> bodies = {opening + "<Report><ReportType>RT_DEVICE_LIST",
                                          opening + "<Report ID=\"0\"></Reprot></VXNRequest>",
                                          "RT_DEVICE_LIST please", QByteArray()};
        for (const QByteArray& body : bodies) {
            const auto answer = send(command, body);
            EXPECT_EQ(answer->result(), ResultCode::WrongRequestFormat)
                << command.toStdString() << " " << body.toStdString() << ": "
                << answer->details().toStdString();
            EXPECT_TRUE(answer->details().startsWith(ResultText::wrongRequestPrefix))
                << answer->details().toStdString();
            // The parser's reason follows the prefix.
            EXPECT_GT(answer->details().size(), ResultText::wrongRequestPrefix.size());
        }
    }
}

TEST_F(MalformedRequestOverHttp, NothingStartsOrIsStoredFromAnUnreadableBody) {
    send(QStringLiteral("RGPGenerateReport"),
         "<VXNRequest command=\"RGPGenerateReport\"><Report><ReportType>RT_DEVICE_LIST"
         "</ReportType></Report>");
    send(QStringLiteral("RGPAddReportTemplate"),
         "<VXNRequest command=\"RGPAddReportTemplate\"><Name>cut</Name><Report>");

    CCmdRGPGetReportTemplateListRequest list;
    const auto templates = callOverHttp<CCmdRGPGetReportTemplateListResponse>(report.url(), list);
    ASSERT_EQ(templates->result(), ResultCode::Ok) << templates->details().toStdString();
    EXPECT_TRUE(templates->entries.isEmpty());

    // The first report of this run still gets id 0: the unreadable request took none.
    const auto generated =
        send(QStringLiteral("RGPGenerateReport"),
             "<VXNRequest command=\"RGPGenerateReport\"><Report><ReportType>RT_DEVICE_LIST"
             "</ReportType><Selection/></Report></VXNRequest>");
    ASSERT_EQ(generated->result(), ResultCode::Ok) << generated->details().toStdString();
    EXPECT_EQ(
        dom::attribute(generated->firstElement(QStringLiteral("Report")), QStringLiteral("ID")),
        QStringLiteral("0"));
}

TEST_F(MalformedRequestOverHttp, ReadableRequestsWithoutADefinitionStillAnswerInvalidTemplate) {
    const QList<QByteArray> bodies = {
        "<VXNRequest command=\"RGPGenerateReport\"/>",
        "<VXNRequest command=\"RGPGenerateReport\"><Template ID=\"4711\"/></VXNRequest>",
        "<Something/>"};
    for (const QByteArray& body : bodies) {
        const auto answer = send(QStringLiteral("RGPGenerateReport"), body);
        EXPECT_EQ(answer->result(), ReportResult::InvalidTemplateId) << body.toStdString();
        EXPECT_EQ(answer->details(), ReportResult::invalidTemplateIdText);
    }
}

} // namespace
