#include "support/ChildProcess.h"
#include "support/PacketCall.h"

#include "VXNServiceFramework/control/CmdVXNGetVersionResponse.h"
#include "peers/CmdDBSProcessQueryRequest.h"
#include "peers/CmdDBSProcessQueryResponse.h"
#include "peers/CmdDMSGetDeviceListRequest.h"
#include "peers/CmdDMSGetDeviceListResponse.h"
#include "peers/CmdDMSGetPropertiesRequest.h"
#include "peers/CmdDMSGetPropertiesResponse.h"
#include "peers/CmdWebUploadTemporaryFileRequest.h"
#include "peers/CmdWebUploadTemporaryFileResponse.h"
#include "suite/FleetGenerator.h"

#include "VXNServiceFramework/http/HttpClient.h"
#include "VXNServiceFramework/packets/RequestPacket.h"
#include "VXNServiceFramework/packets/ResultCodes.h"
#include "suite/NamingPeerService.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <thread>

namespace {
class PeerProcessTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = std::make_unique<QTemporaryDir>();
        generateFleet(s_dir->filePath(QStringLiteral("fleet.db")), {8, 4, 11, 1796601600});
        s_peers = std::make_unique<ChildProcess>();
        s_started = s_peers->startPeers(s_dir->filePath(QStringLiteral("fleet.db")), html());
    }
    static void TearDownTestSuite() {
        s_peers->terminate();
        s_peers.reset();
        s_dir.reset();
    }
    void SetUp() override { ASSERT_TRUE(s_started) << s_peers->output().toStdString(); }

    static QString html() { return s_dir->filePath(QStringLiteral("html")); }
    static std::unique_ptr<CmdDBSProcessQueryResponse> query(const QStringList& statements) {
        CmdDBSProcessQueryRequest request;
        for (const QString& sql : statements)
            request.addQuery(sql);
        return call<CmdDBSProcessQueryResponse>(request);
    }

    template <class R> static std::unique_ptr<R> call(Packet& request) {
        return callOverHttp<R>(s_peers->url(), request);
    }

    static inline std::unique_ptr<QTemporaryDir> s_dir;
    static inline std::unique_ptr<ChildProcess> s_peers;
    static inline bool s_started = false;
};

TEST_F(PeerProcessTest, OneRequestCreatesFillsReadsAndDropsATempTable) {
    const auto response = query({
        QStringLiteral("CREATE TEMP TABLE devIDs_1_ (R_DevID INTEGER PRIMARY KEY, Note TEXT)"),
        QStringLiteral("INSERT INTO devIDs_1_ SELECT DeviceID, 'x\"<y' FROM Devices WHERE "
                       "DeviceID IN (2,5)"),
        QStringLiteral("SELECT R_DevID AS DeviceID, Note FROM devIDs_1_ ORDER BY 1"),
        QStringLiteral("DROP TABLE devIDs_1_"),
    });
    ASSERT_EQ(response->result(), 0) << response->details().toStdString();
    const auto& sets = response->resultSets();
    ASSERT_EQ(sets.size(), 4);
    EXPECT_EQ(sets[1].lastRowId, 5);
    EXPECT_EQ(sets[2].lastRowId, -1);
    ASSERT_EQ(sets[2].rows.size(), 2);
    EXPECT_EQ(sets[2].rows[1].value(QStringLiteral("DeviceID")), QStringLiteral("5"));
    EXPECT_EQ(sets[2].rows[1].value(QStringLiteral("Note")), QStringLiteral("x\"<y"));
    EXPECT_TRUE(sets[3].rows.isEmpty());
    // The table went with the request's connection.
    EXPECT_NE(query({QStringLiteral("SELECT * FROM devIDs_1_")})->result(), 0);
}

TEST_F(PeerProcessTest, AnSqlErrorAnswersSQLitesCodeAndMessage) {
    const auto response =
        query({QStringLiteral("SELECT 1 AS one"), QStringLiteral("SELECT Name FROM NoSuchTable")});
    EXPECT_EQ(response->result(), 1); // SQLITE_ERROR
    EXPECT_EQ(response->details().toStdString(), "Query 2 of 2 failed: no such table: NoSuchTable");
    EXPECT_TRUE(response->resultSets().isEmpty());

    const auto unnamed = query({QStringLiteral("SELECT count(*) FROM Devices")});
    EXPECT_NE(unnamed->result(), 0);
    EXPECT_TRUE(unnamed->details().contains(QStringLiteral("count(*)")));
}

TEST_F(PeerProcessTest, ARequestItCannotReadIsAWrongFormatNotAnEmptySuccess) {
    CmdDBSProcessQueryRequest request;
    request.addQuery(QStringLiteral("INSERT INTO Groups (Name) VALUES ('cut')"));
    QByteArray body;
    request.serialize(body);
    CmdDBSProcessQueryResponse answer;
    answer.parse(HttpClient().send(s_peers->url(), request.command(), body.chopped(10), true));
    EXPECT_EQ(answer.result(), ResultCode::WrongRequestFormat) << answer.details().toStdString();
}

TEST_F(PeerProcessTest, NoStatementWritesAFileOutsideItsDatabase) {
    const QString copy = s_dir->filePath(QStringLiteral("copy.db"));
    const auto answer = query({QStringLiteral("VACUUM INTO '%1'").arg(copy)});
    EXPECT_NE(answer->result(), 0);
    EXPECT_FALSE(QFile::exists(copy));
}

TEST_F(PeerProcessTest, ConcurrentRequestsHaveTempTablesOfTheirOwn) {
    // Both requests hold a table of the same name while a slow statement keeps them busy.
    QString seen[2];
    std::thread workers[2];
    for (int i = 0; i < 2; ++i) {
        workers[i] = std::thread([&, i] {
            const auto response = query({
                QStringLiteral("CREATE TEMP TABLE R1__7_ (v)"),
                QStringLiteral("INSERT INTO R1__7_ VALUES ('request%1')").arg(i),
                QStringLiteral("WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c "
                               "WHERE n < 300000) SELECT max(n) AS n FROM c"),
                QStringLiteral("SELECT group_concat(v) AS v FROM R1__7_"),
                QStringLiteral("DROP TABLE R1__7_"),
            });
            if (response->result() == 0 && response->resultSets().size() == 5)
                seen[i] = response->resultSets()[3].rows.value(0).value(QStringLiteral("v"));
        });
    }
    for (auto& worker : workers)
        worker.join();
    EXPECT_EQ(seen[0], QStringLiteral("request0"));
    EXPECT_EQ(seen[1], QStringLiteral("request1"));
}

// Report scripts name their temporary tables after the report id, which starts again at 0 in a
// new report generator: whatever one request left behind, finished or failed, must be gone for
// the next, though the service keeps its connections.
TEST_F(PeerProcessTest, NothingARequestLeavesBehindReachesTheNext) {
    const QString create = QStringLiteral("CREATE TEMP TABLE devIDs_0_ (R_DevID INTEGER)");
    const QStringList leavesEverything = {
        create,
        QStringLiteral("INSERT INTO devIDs_0_ SELECT DeviceID FROM Devices"),
        QStringLiteral("CREATE TEMP VIEW devView_0_ AS SELECT * FROM devIDs_0_"),
        QStringLiteral("BEGIN"),
        QStringLiteral("INSERT INTO Settings (Name, Value) VALUES ('leftOpen_0_', 'x')"),
    };
    const QStringList failsHalfway = {create, QStringLiteral("SELECT * FROM NoSuchTable")};
    const QStringList next = {
        create,
        QStringLiteral("SELECT count(*) AS n FROM devIDs_0_"),
        QStringLiteral("SELECT count(*) AS n FROM temp.sqlite_master"),
        QStringLiteral("SELECT count(*) AS n FROM Settings WHERE Name = 'leftOpen_0_'"),
    };
    for (const QStringList& before : {leavesEverything, failsHalfway, leavesEverything}) {
        const auto first = query(before);
        ASSERT_EQ(first->resultSets().isEmpty(), first->result() != 0);
        const auto second = query(next);
        ASSERT_EQ(second->result(), 0) << second->details().toStdString();
        const auto& sets = second->resultSets();
        ASSERT_EQ(sets.size(), 4);
        // As on a new connection: no insert yet.
        EXPECT_EQ(sets[0].lastRowId, 0);
        EXPECT_EQ(sets[1].rows.value(0).value(QStringLiteral("n")), QStringLiteral("0"));
        EXPECT_EQ(sets[2].rows.value(0).value(QStringLiteral("n")), QStringLiteral("1"));
        // The transaction left open was rolled back, not committed by the next request.
        EXPECT_EQ(sets[3].rows.value(0).value(QStringLiteral("n")), QStringLiteral("0"));
    }
}

TEST_F(PeerProcessTest, NamingServiceFindsTheLaterRegistration) {
    NSRegisterRequest first;
    first.URL = QStringLiteral("http://127.0.0.1:1001/");
    first.method = {QStringLiteral("RGPGenerateReport"), QStringLiteral("SchRegister")};
    NSRegisterRequest second;
    second.URL = QStringLiteral("http://127.0.0.1:1002/");
    second.method = {QStringLiteral("SchRegister")};
    EXPECT_EQ(call<NSRegisterResponse>(first)->result(), 0);
    EXPECT_EQ(call<NSRegisterResponse>(second)->result(), 0);

    const auto find = [](const char* command) {
        NSFindRequest request;
        request.Command = QString::fromLatin1(command);
        return call<NSFindResponse>(request);
    };
    EXPECT_EQ(find("RGPGenerateReport")->ServiceURL, first.URL);
    EXPECT_EQ(find("SchRegister")->ServiceURL, second.URL);
    EXPECT_EQ(find("DBSProcessQuery")->ServiceURL, s_peers->url().toString())
        << "the suite registers its own commands";
    const auto unknown = find("NoSuchCommand");
    EXPECT_EQ(unknown->result(), 2);
    EXPECT_EQ(unknown->details(), QStringLiteral("Can't find service for command: NoSuchCommand"));

    RequestPacket version(QStringLiteral("VXNGetVersion"));
    EXPECT_FALSE(call<CmdVXNGetVersionResponse>(version)->version.isEmpty());
}

TEST_F(PeerProcessTest, DeviceListCarriesTablePropertiesAndSettings) {
    CmdDMSGetDeviceListRequest request;
    request.devices.append(CmdDMSGetDeviceListRequest::DeviceFilter{3, {}});
    request.forceUpToDate = true;
    request.propertyNames = {QStringLiteral("zepHrDevCountTable"), QStringLiteral("IP")};
    const auto response = call<CmdDMSGetDeviceListResponse>(request);
    ASSERT_EQ(response->result(), 0) << response->details().toStdString();
    ASSERT_EQ(response->devices.size(), 1);
    const auto& device = response->devices[0];
    EXPECT_EQ(device.id, 3);
    EXPECT_TRUE(device.properties.value(QStringLiteral("IP")).startsWith(QStringLiteral("10.")));
    const auto rows = device.tables.value(QStringLiteral("zepHrDevCountTable"));
    ASSERT_FALSE(rows.isEmpty());
    EXPECT_TRUE(rows[0].contains(QStringLiteral("zepHrDevCountValue")));

    CmdDMSGetPropertiesRequest settings;
    settings.propertyNames = {QStringLiteral("SMTPServerName"), QStringLiteral("ReplyAddress"),
                              QStringLiteral("Unknown")};
    const auto answer = call<CmdDMSGetPropertiesResponse>(settings);
    EXPECT_EQ(answer->property(QStringLiteral("SMTPServerName")), QStringLiteral("localhost"));
    EXPECT_FALSE(answer->property(QStringLiteral("ReplyAddress")).isEmpty());
    EXPECT_TRUE(answer->property(QStringLiteral("Unknown")).isEmpty());
}

TEST_F(PeerProcessTest, UploadIsStoredBelowTheWebRootAndBadNamesAreRefused) {
    CmdWebUploadTemporaryFileRequest upload;
    upload.fileName = QStringLiteral("Chart1796601600.gif");
    upload.data = QByteArray("GIF89a\x00\x01\x02", 9);
    const auto response = call<CmdWebUploadTemporaryFileResponse>(upload);
    ASSERT_EQ(response->result(), 0) << response->details().toStdString();
    EXPECT_TRUE(response->path.endsWith(QStringLiteral("/Chart1796601600.gif")));
    QFile file(QDir(html()).filePath(response->path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), upload.data);

    upload.fileName = QStringLiteral("../outside.gif");
    const auto refused = call<CmdWebUploadTemporaryFileResponse>(upload);
    EXPECT_NE(refused->result(), 0);
    EXPECT_TRUE(refused->details().contains(QStringLiteral("path separator")));
    EXPECT_TRUE(refused->path.isEmpty());
    EXPECT_FALSE(QFile::exists(s_dir->filePath(QStringLiteral("outside.gif"))));
}

// A file past what a UTF-16 request can carry (an export of a large fleet) still arrives whole.
TEST_F(PeerProcessTest, AFileOfOver40MBArrivesByteIdentical) {
    CmdWebUploadTemporaryFileRequest upload;
    upload.fileName = QStringLiteral("Report_20260101_120000.csv");
    upload.data = QByteArray(42 * 1000 * 1000, Qt::Uninitialized);
    QRandomGenerator random(11);
    random.fillRange(reinterpret_cast<quint32*>(upload.data.data()), upload.data.size() / 4);
    const auto response = call<CmdWebUploadTemporaryFileResponse>(upload);
    ASSERT_EQ(response->result(), 0) << response->details().toStdString();
    QFile file(QDir(html()).filePath(response->path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll() == upload.data);
}

// velm-peers on a database file it creates.
struct PeersOnANewDatabase {
    explicit PeersOnANewDatabase(const QStringList& options = {})
        : started(peers.startPeers(dir.filePath(QStringLiteral("new.db")),
                                   dir.filePath(QStringLiteral("html")), options)) {}
    QTemporaryDir dir;
    ChildProcess peers;
    bool started;
};

const char* endlessQuery =
    "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT count(*) AS n FROM c";

TEST(PeerProcessLifecycle, CreatesAMissingDatabaseAndStopsCleanlyOnSigterm) {
    PeersOnANewDatabase fresh;
    ChildProcess& peers = fresh.peers;
    ASSERT_TRUE(fresh.started) << peers.output().toStdString();
    CmdDBSProcessQueryRequest request;
    request.addQuery(QStringLiteral("INSERT INTO Scheduler(ServiceName, ScheduleID, StartTime, "
                                    "IntervalType, IntervalValue, StopTime, CommandToSend, Tag) "
                                    "VALUES(\"RG\", 4, 100, 1, 1, 0, \"cmd\", \"tag\");"));
    request.addQuery(QStringLiteral("SELECT count(*) AS n FROM YearHours"));
    const auto response = callOverHttp<CmdDBSProcessQueryResponse>(peers.url(), request);
    ASSERT_EQ(response->result(), 0) << response->details().toStdString();
    EXPECT_EQ(response->resultSets()[0].lastRowId, 1) << "GlobalID assigned by the database";
    EXPECT_EQ(response->resultSets()[1].rows[0].value(QStringLiteral("n")), QStringLiteral("8784"));
    EXPECT_EQ(peers.terminate(), 0);
    EXPECT_TRUE(peers.output().contains(QStringLiteral("Stopped")));
}

// velm-report registers once, when it starts: a naming service that forgot it after its own
// restart would leave every other process unable to find the report commands.
TEST(PeerProcessLifecycle, RegistrationsSurviveAKilledSuite) {
    PeersOnANewDatabase fresh;
    ASSERT_TRUE(fresh.started) << fresh.peers.output().toStdString();
    NSRegisterRequest registration;
    registration.URL = QStringLiteral("http://127.0.0.1:1003/");
    registration.method = {QStringLiteral("RGPGenerateReport")};
    ASSERT_EQ(callOverHttp<NSRegisterResponse>(fresh.peers.url(), registration)->result(), 0);
    ASSERT_EQ(::kill(pid_t(fresh.peers.processId()), SIGKILL), 0);
    ASSERT_TRUE(fresh.peers.waitForExit(5000));

    ChildProcess restarted;
    ASSERT_TRUE(restarted.startPeers(fresh.dir.filePath(QStringLiteral("new.db")),
                                     fresh.dir.filePath(QStringLiteral("html"))))
        << restarted.output().toStdString();
    const auto find = [&](const char* command) {
        NSFindRequest request;
        request.Command = QString::fromLatin1(command);
        return callOverHttp<NSFindResponse>(restarted.url(), request);
    };
    EXPECT_EQ(find("RGPGenerateReport")->ServiceURL, registration.URL);
    EXPECT_EQ(find("DBSProcessQuery")->ServiceURL, restarted.url().toString())
        << "the suite's own commands are found where it listens now";
}

// A statement that would never end neither keeps the process from stopping nor answers success.
TEST(PeerProcessLifecycle, StopsPromptlyWhileAQueryRuns) {
    PeersOnANewDatabase fresh;
    ChildProcess& peers = fresh.peers;
    ASSERT_TRUE(fresh.started) << peers.output().toStdString();
    std::unique_ptr<CmdDBSProcessQueryResponse> answer;
    std::thread caller([&] {
        CmdDBSProcessQueryRequest request;
        request.addQuery(QString::fromLatin1(endlessQuery));
        answer = callOverHttp<CmdDBSProcessQueryResponse>(peers.url(), request);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(peers.terminate(), 0) << peers.output().toStdString();
    caller.join();
    ASSERT_NE(answer, nullptr);
    EXPECT_NE(answer->result(), 0);
}

TEST(PeerProcessLifecycle, TheSqlTimeLimitIsTheOperatorsToChoose) {
    for (const char* wrong : {"0", "1.5", "ten", "604801"}) {
        ChildProcess refused;
        QTemporaryDir dir;
        EXPECT_FALSE(
            refused.startPeers(dir.filePath(QStringLiteral("x.db")), dir.path(),
                               {QStringLiteral("--sql-time-limit"), QString::fromLatin1(wrong)}))
            << wrong;
        EXPECT_TRUE(refused.output().contains(QStringLiteral("--sql-time-limit takes seconds")))
            << refused.output().toStdString();
    }
    PeersOnANewDatabase fresh({QStringLiteral("--sql-time-limit"), QStringLiteral("1")});
    ASSERT_TRUE(fresh.started) << fresh.peers.output().toStdString();
    CmdDBSProcessQueryRequest request;
    request.addQuery(QString::fromLatin1(endlessQuery));
    const auto answer = callOverHttp<CmdDBSProcessQueryResponse>(fresh.peers.url(), request);
    EXPECT_NE(answer->result(), 0);
    EXPECT_TRUE(answer->details().contains(QStringLiteral("stopped after running for 1 s")))
        << answer->details().toStdString();
}
} // namespace
