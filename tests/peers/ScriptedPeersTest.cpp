#include "support/ScriptedPeers.h"
#include "support/CoreApplication.h"
#include "support/ScriptedDatabase.h"
#include "support/ScriptedDeviceManagement.h"
#include "support/ScriptedWebUpload.h"

#include "peers/CmdDBSProcessQueryRequest.h"
#include "peers/CmdDMSGetDeviceListRequest.h"
#include "peers/CmdDMSGetPropertiesRequest.h"
#include "peers/CmdDMSGetPropertiesResponse.h"
#include "peers/CmdWebUploadTemporaryFileRequest.h"
#include "peers/CmdWebUploadTemporaryFileResponse.h"

#include "VXNServiceFramework/client/NamingService.h"
#include "VXNServiceFramework/client/ServiceClient.h"
#include "VXNServiceFramework/packets/ResultCodes.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <thread>

namespace {

std::unique_ptr<CmdDBSProcessQueryRequest> queryOf(const QStringList& statements) {
    auto request = std::make_unique<CmdDBSProcessQueryRequest>();
    for (const QString& statement : statements)
        request->addQuery(statement);
    return request;
}

const DBSResultSet oneRow{7, {DBSRow{{QStringLiteral("Name"), QStringLiteral("a<\"b")}}}};

} // namespace

TEST(ScriptedDatabase, AnswersQueueThenCallbackThenEmptySetsAndRecordsEveryQuery) {
    ScriptedPeers peers;
    ScriptedDatabase database(peers);
    database.enqueue({oneRow});
    database.enqueueFailure(9, QStringLiteral("no such table: X"));

    const auto query = queryOf({QStringLiteral("SELECT 1"), QStringLiteral("SELECT 2")});
    CmdDBSProcessQueryRequest& request = *query;
    auto first = peers.call<CmdDBSProcessQueryResponse>(request);
    ASSERT_EQ(first->result(), ResultCode::Ok);
    ASSERT_EQ(first->resultSets().size(), 1);
    EXPECT_EQ(first->resultSets().front(), oneRow) << "the answer travelled as bytes unchanged";

    auto second = peers.call<CmdDBSProcessQueryResponse>(request);
    EXPECT_EQ(second->result(), 9);
    EXPECT_EQ(second->details(), QStringLiteral("no such table: X"));

    auto third = peers.call<CmdDBSProcessQueryResponse>(request);
    EXPECT_EQ(third->result(), ResultCode::Ok);
    EXPECT_EQ(third->resultSets().size(), 2) << "one empty set per query";

    database.setResponder([](const QStringList& queries) {
        auto response = std::make_unique<CmdDBSProcessQueryResponse>();
        response->addResultSet({int(queries.size()), {}});
        return response;
    });
    EXPECT_EQ(peers.call<CmdDBSProcessQueryResponse>(request)->resultSets().front().lastRowId, 2);

    EXPECT_EQ(database.requests().size(), 4);
    EXPECT_EQ(database.queries().size(), 8);
    EXPECT_EQ(database.queries().front(), QStringLiteral("SELECT 1"));
    EXPECT_EQ(peers.recorder().count(CmdDBSProcessQueryRequest::commandName), 4);
    EXPECT_EQ(peers.recorder().requests<CmdDBSProcessQueryRequest>().back()->queries(),
              request.queries());
}

TEST(ScriptedPeers, UnscriptedFailedAndHeldCommandsBehaveAsPeersWould) {
    ScriptedPeers peers;
    CmdWebUploadTemporaryFileRequest upload;
    auto unknown = peers.call<CmdWebUploadTemporaryFileResponse>(upload);
    EXPECT_EQ(unknown->result(), ResultCode::UnknownCommand);
    EXPECT_EQ(unknown->details(),
              QStringLiteral("Can't find service for command: WEBUploadTemporaryFile"));

    ScriptedWebUpload web(peers);
    peers.fail(upload.command(), ResultCode::ConnectionFailed, QStringLiteral("down"));
    EXPECT_EQ(peers.call<CmdWebUploadTemporaryFileResponse>(upload)->result(),
              ResultCode::ConnectionFailed);
    EXPECT_TRUE(web.uploads().isEmpty());
    peers.unfail(upload.command());

    // Held answers: both callers are recorded at once and answered only after release.
    peers.hold();
    std::atomic<int> answered{0};
    std::vector<std::thread> callers;
    for (int i = 0; i < 2; ++i)
        callers.emplace_back([&] {
            CmdWebUploadTemporaryFileRequest request;
            request.fileName = QStringLiteral("c.gif");
            if (peers.call<CmdWebUploadTemporaryFileResponse>(request)->result() == 0)
                ++answered;
        });
    EXPECT_TRUE(peers.recorder().waitForCount(2, upload.command()));
    EXPECT_EQ(answered, 0);
    peers.release();
    for (std::thread& caller : callers)
        caller.join();
    EXPECT_EQ(answered, 2);
    EXPECT_EQ(web.uploads().size(), 2);

    peers.callAsync(std::make_unique<CmdWebUploadTemporaryFileRequest>());
    EXPECT_EQ(web.uploads().size(), 3) << "an asynchronous send is answered before it returns";
}

TEST(ScriptedWebUpload, KeepsAndStoresFilesUnderTheAnsweredPath) {
    ScriptedPeers peers;
    ScriptedWebUpload web(peers);
    QTemporaryDir html;
    web.storeUnder(html.path());

    CmdWebUploadTemporaryFileRequest request;
    request.fileName = QStringLiteral("../Chart1.gif");
    request.data = QByteArray("GIF89a\0\xff", 8);
    auto response = peers.call<CmdWebUploadTemporaryFileResponse>(request);
    ASSERT_EQ(response->result(), ResultCode::Ok);
    EXPECT_EQ(response->path, QStringLiteral("temp/1/Chart1.gif")) << "no way out of the folder";
    EXPECT_EQ(web.dataAt(response->path), request.data);
    QFile stored(html.filePath(response->path));
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_EQ(stored.readAll(), request.data);
    EXPECT_EQ(web.uploads().front().fileName, request.fileName);
}

TEST(ScriptedDeviceManagement, AnswersTheDevicesAndSettingsAskedFor) {
    ScriptedPeers peers;
    ScriptedDeviceManagement devices(peers);
    ScriptedDeviceManagement::Device printer;
    printer.id = 4;
    printer.properties = {{QStringLiteral("Name"), QStringLiteral("p4")},
                          {QStringLiteral("Serial"), QStringLiteral("S4")}};
    printer.tables.insert(QStringLiteral("zepHrDevCountTable"),
                          {{{QStringLiteral("Count"), QStringLiteral("12")}}});
    ScriptedDeviceManagement::Device other;
    other.id = 5;
    devices.setDevices({printer, other});
    devices.setProperties({{QStringLiteral("SMTPServer"), QStringLiteral("mail.local")}});

    CmdDMSGetDeviceListRequest list;
    list.devices.append(CmdDMSGetDeviceListRequest::DeviceFilter{4, {}});
    list.propertyNames = {QStringLiteral("Name")};
    auto answer = peers.call<CmdDMSGetDeviceListResponse>(list);
    ASSERT_EQ(answer->devices.size(), 1);
    EXPECT_EQ(answer->devices.front().id, 4);
    EXPECT_EQ(answer->devices.front().properties.keys(), QStringList{QStringLiteral("Name")});
    EXPECT_EQ(answer->devices.front().tables, printer.tables);
    EXPECT_EQ(
        peers.call<CmdDMSGetDeviceListResponse>(*std::make_unique<CmdDMSGetDeviceListRequest>())
            ->devices.size(),
        2);

    CmdDMSGetPropertiesRequest settings;
    settings.propertyNames = {QStringLiteral("SMTPServer"), QStringLiteral("SMTPServerPort")};
    auto properties = peers.call<CmdDMSGetPropertiesResponse>(settings)->properties;
    EXPECT_EQ(properties.value(QStringLiteral("SMTPServer")), QStringLiteral("mail.local"));
    EXPECT_FALSE(properties.contains(QStringLiteral("SMTPServerPort")));
}

TEST(ScriptedPeers, OverHttpTheServiceClientFindsAndCallsThem) {
    ensureCoreApplication();
    ScriptedPeers peers;
    ScriptedDatabase database(peers);
    database.enqueue({oneRow});
    ServiceClient client;
    client.setRetrySleep([](std::chrono::milliseconds) {});
    client.setNamingServiceUrl(peers.serveOverHttp());

    const auto query = queryOf({QStringLiteral("SELECT Name FROM T")});
    CmdDBSProcessQueryRequest& request = *query;
    auto response = client.sendCommand<CmdDBSProcessQueryResponse>(request, true);
    ASSERT_EQ(response->result(), ResultCode::Ok) << response->details().toStdString();
    EXPECT_EQ(response->resultSets(), QList<DBSResultSet>{oneRow});
    EXPECT_EQ(database.queries(), request.queries());
    EXPECT_EQ(peers.recorder().commands(), QStringList({QStringLiteral("NSFindService"),
                                                        CmdDBSProcessQueryRequest::commandName}));

    CmdWebUploadTemporaryFileRequest upload;
    auto unknown = client.sendCommand<CmdWebUploadTemporaryFileResponse>(upload, true);
    EXPECT_EQ(unknown->result(), ResultCode::UnknownCommand);

    EXPECT_TRUE(client.registerService(QUrl(QStringLiteral("http://127.0.0.1:1/")),
                                       {QStringLiteral("RGPGetReportStatus")}));
    const auto registrations = peers.recorder().requests<NSRegisterServiceRequest>();
    ASSERT_EQ(registrations.size(), 1u);
    EXPECT_EQ(registrations.front()->method.front().value, QStringLiteral("RGPGetReportStatus"));
}
