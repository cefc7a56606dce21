#include "ReportGeneratorFixture.h"

#include "VELMPluginReportGenerator/Commands/CmdRGPGetCurrentUsageCountersRequest.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGetCurrentUsageCountersResponse.h"
#include "VELMPluginReportGenerator/report/ReportResult.h"
#include "VELMPluginReportGenerator/service/CatalogueCommands.h"
#include "VELMPluginReportGenerator/service/ReportTemplateFetch.h"

#include "VXNServiceFramework/packets/ResponsePacket.h"
#include "peers/CmdDMSGetDeviceListRequest.h"

#include <gtest/gtest.h>

namespace {

QByteArray utf16(const QString& text) {
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

// A template answer as the template store gives it: the Report part among other elements.
std::unique_ptr<Packet> templateAnswer(const QString& report) {
    auto answer = std::make_unique<ResponsePacket>();
    answer->parse(utf16(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?><VXNResponse>"
                                       "<Result>0</Result><Details>OK</Details><Name>weekly</Name>"
                                       "<Template ID=\"4\"/>") +
                        report + QStringLiteral("<Email><To>a@b</To></Email></VXNResponse>")));
    return answer;
}

std::unique_ptr<Packet> generateFromBody(Service& service, const QString& fragment) {
    return service.dispatch(CmdRGPGenerateReportRequest::commandName,
                            utf16(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?>"
                                                 "<VXNRequest command=\"RGPGenerateReport\">") +
                                  fragment + QStringLiteral("</VXNRequest>")));
}

} // namespace

TEST(GenerateReportRequest, CarriesADefinitionWithItsSelectionThroughTheWire) {
    CmdRGPGenerateReportRequest request;
    request.definition = reportDefinition({{"ReportType", "RT_DEVICE_LIST"}, {"SortBy", "IP"}},
                                          {{"3", "4"}, {"2"}, {"M'1"}, {"u"}, {"g"}});
    QByteArray body;
    request.serialize(body);
    CmdRGPGenerateReportRequest read;
    read.parse(body);
    ASSERT_TRUE(read.definition);
    EXPECT_TRUE(read.templateId.isEmpty());
    EXPECT_EQ(read.definition->selection, request.definition->selection);
    EXPECT_EQ(read.definition->parameter("SortBy"), "IP");
    EXPECT_EQ(read.definition->parameter("ReportType"), "RT_DEVICE_LIST");
}

TEST(GenerateReportRequest, TheReportPartOfATemplateSpansFirstOpeningToLastClosingTag) {
    EXPECT_EQ(reportRequestFromTemplate("x<Report>a</Report>y<Report>b</Report>z"),
              "<?xml version=\"1.0\" encoding=\"UTF-16\" standalone=\"no\"?>"
              "<VXNRequest command=\"RGPGenerateReport\"><Report>a</Report>y<Report>b</Report>"
              "</VXNRequest>");
    EXPECT_FALSE(reportRequestFromTemplate("<Report>\n</Report>").isEmpty());
    EXPECT_EQ(reportRequestFromTemplate("<report></report>"), "");
}

TEST_F(ReportGeneratorTest, ATemplateIdFetchesTheTemplatesDefinition) {
    peers.answer("RGPGetReportTemplate", [](const QByteArray& body) -> std::unique_ptr<Packet> {
        RequestPacket request;
        request.parse(body);
        if (request.elementId("Template") != "4")
            return std::make_unique<ResponsePacket>(-1, "Invalid ID(s)");
        return templateAnswer("<Report><ReportType>RT_DEVICE_LIST</ReportType>"
                              "<Selection><DeviceID>8</DeviceID></Selection></Report>");
    });
    peers.onDatabase([](const QStringList& queries) {
        ScriptedReportPeers::DatabaseAnswer answer;
        for (const QString& query : queries)
            answer.sets.append(query.trimmed().startsWith("SELECT")
                                   ? ScriptedReportPeers::rows({{{"DeviceID", "8"}}})
                                   : ScriptedReportPeers::statement());
        return answer;
    });
    const auto answer = generateFromBody(*service, "<Template ID=\"4\"/>");
    ASSERT_EQ(answer->result(), 0) << answer->details().toStdString();
    const int id = dynamic_cast<CmdRGPGenerateReportResponse&>(*answer).reportId.toInt();
    EXPECT_EQ(body(id), "Body(Report(Row(DeviceID=8)))");

    // An unknown template, an id that is no number and a request without any definition
    // start no report.
    for (const QString& fragment :
         {QStringLiteral("<Template ID=\"5\"/>"), QStringLiteral("<Template ID=\"4x\"/>"),
          QStringLiteral("<Report><ReportType>RT_DEVICE_LIST</ReportType></Report>"
                         "<Report><ReportType>RT_DEVICE_LIST</ReportType></Report>"),
          QStringLiteral("")}) {
        const auto refused = generateFromBody(*service, fragment);
        EXPECT_EQ(refused->result(), ReportResult::InvalidTemplateId) << fragment.toStdString();
        EXPECT_EQ(refused->details(), ReportResult::invalidTemplateIdText);
    }
    EXPECT_EQ(peers.commands().count("RGPGetReportTemplate"), 2); // "4x" was never asked for
    EXPECT_EQ(start(reportDefinition({{"ReportType", "RT_DEVICE_LIST"}}, {{"1"}, {}, {}, {}, {}})),
              id + 1);
}

TEST(ReportCategories, TheJobAccountingCategoryNeedsThePluginsAnswer) {
    ScriptedReportPeers peers;
    CatalogueCommands commands(peers);
    RGPGetReportCategoriesRequest request;
    const auto without = commands.getReportCategories(request);
    ASSERT_EQ(without->Category.size(), 4);
    EXPECT_EQ(peers.commands(), QStringList{"JACAddAccessRights"});
    const auto& usage = without->Category[3];
    EXPECT_EQ(usage.Name, "RT_USAGE");
    EXPECT_EQ(usage.ReportType.indexOf("RT_SEPARATOR"),
              usage.ReportType.indexOf("RT_USAGE_PAPER_SIZE") + 1);
    EXPECT_EQ(usage.ReportType.last(), "RT_USAGE_CURRENT_TOTAL_PAGES");

    peers.answer("JACAddAccessRights",
                 [](const QByteArray&) { return std::make_unique<ResponsePacket>(); });
    const auto with = commands.getReportCategories(request);
    ASSERT_EQ(with->Category.size(), 5);
    EXPECT_EQ(with->Category[4].Name, "RT_JAC");

    // The binding answer reads back as written.
    QByteArray body;
    with->serialize(body);
    RGPGetReportCategoriesResponse read;
    read.parse(body);
    EXPECT_EQ(read.Category.size(), 5);
    EXPECT_EQ(read.Category[0].ReportType, with->Category[0].ReportType);
}

TEST(CurrentUsageCounters, RefreshTheDeviceFirstThenReadItsCounters) {
    ScriptedReportPeers peers;
    peers.answer(CmdDMSGetDeviceListRequest::commandName,
                 [](const QByteArray&) { return std::make_unique<ResponsePacket>(); });
    peers.onDatabase([](const QStringList&) {
        return ScriptedReportPeers::DatabaseAnswer{
            {ScriptedReportPeers::rows({{{"job_type", "print"},
                                         {"color_mode", "monoColor"},
                                         {"media_size", "small"},
                                         {"print_mode", "duplex"},
                                         {"value", "42"}},
                                        {{"job_type", "copy"}, {"value", "7"}}})}};
    });
    CatalogueCommands commands(peers);
    CmdRGPGetCurrentUsageCountersRequest request;
    request.deviceId = "12";
    const auto answer = commands.getCurrentUsageCounters(request);

    const auto calls = peers.recorder().calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].command, CmdDMSGetDeviceListRequest::commandName);
    CmdDMSGetDeviceListRequest refresh;
    refresh.parse(calls[0].body);
    EXPECT_TRUE(refresh.forceUpToDate);
    EXPECT_EQ(refresh.propertyNames, QStringList{"zepHrDevCountTable"});
    ASSERT_EQ(refresh.devices.size(), 1);
    EXPECT_EQ(refresh.devices[0].id, 12);
    EXPECT_EQ(calls[1].command, "DBSProcessQuery");

    QByteArray body;
    answer->serialize(body);
    CmdRGPGetCurrentUsageCountersResponse read;
    read.parse(body);
    EXPECT_EQ(read.result(), 0);
    EXPECT_EQ(read.deviceId, "12");
    EXPECT_EQ(read.counters, (QList<UsageCounter>{{"print", "monoColor", "small", "duplex", "42"},
                                                  {"copy", "", "", "", "7"}}));
}

TEST(CurrentUsageCounters, ADatabaseThatFailsIsNoDeviceWithoutCounters) {
    ScriptedReportPeers peers;
    peers.answer(CmdDMSGetDeviceListRequest::commandName,
                 [](const QByteArray&) { return std::make_unique<ResponsePacket>(); });
    peers.onDatabase([](const QStringList&) { return ScriptedReportPeers::failure(); });
    CatalogueCommands commands(peers);
    CmdRGPGetCurrentUsageCountersRequest request;
    request.deviceId = "12";
    QByteArray body;
    commands.getCurrentUsageCounters(request)->serialize(body);
    CmdRGPGetCurrentUsageCountersResponse read;
    read.parse(body);
    EXPECT_EQ(read.result(), ScriptedReportPeers::failure().result);
    EXPECT_EQ(read.details(), ScriptedReportPeers::failure().details);
    EXPECT_TRUE(read.counters.isEmpty());
}

TEST(CurrentUsageCounters, ADeviceIdThatIsNoNumberAsksNobody) {
    ScriptedReportPeers peers;
    CatalogueCommands commands(peers);
    for (const QString& id :
         {QStringLiteral("1 OR 1=1"), QStringLiteral(""), QStringLiteral("0x10")}) {
        CmdRGPGetCurrentUsageCountersRequest request;
        request.deviceId = id;
        const auto answer = commands.getCurrentUsageCounters(request);
        EXPECT_EQ(answer->result(), 0);
        EXPECT_TRUE(answer->counters.isEmpty());
    }
    EXPECT_TRUE(peers.recorder().calls().empty());
}
