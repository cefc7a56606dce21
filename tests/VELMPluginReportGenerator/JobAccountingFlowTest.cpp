// The job accounting step of a report against a scripted plug-in: what it asks for, how it
// follows the plug-in's progress, what it copies, and how failures and cancels end it.
#include "ReportGeneratorFixture.h"

#include "VELMPluginReportGenerator/jobaccounting/JACCreateRequest.h"
#include "VELMPluginReportGenerator/jobaccounting/JACTexts.h"
#include "VELMPluginReportGenerator/jobaccounting/JobAccountingFlow.h"
#include "VELMPluginReportGenerator/report/ReportResult.h"

#include <QDeadlineTimer>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>

namespace {

QString wire(Packet& packet) {
    QByteArray body;
    packet.serialize(body);
    return QString::fromUtf8(body);
}

TEST(JobAccountingCreateRequest, GroupingsAndSortKeysFollowTheGroupingSent) {
    JACReportInputs inputs;
    inputs.reportType = QStringLiteral("RT_JAC_USER_BASIC");
    inputs.sortBy = QStringLiteral("SB_USER_NAME");

    inputs.groupBy = QStringLiteral("UserGroupUser");
    auto request = makeCreateRequest(inputs);
    EXPECT_EQ(request.GroupBy, "User");
    EXPECT_EQ(request.SortUsersBy, std::optional<QString>("SB_USER_NAME"));
    EXPECT_FALSE(request.SortDevicesBy);

    inputs.groupBy = QStringLiteral("UserGroupDevice");
    request = makeCreateRequest(inputs);
    EXPECT_EQ(request.GroupBy, "Device");
    EXPECT_EQ(request.SortDevicesBy, std::optional<QString>("SB_USER_NAME"));
    EXPECT_FALSE(request.SortUsersBy);

    inputs.groupBy = QStringLiteral("Device");
    EXPECT_TRUE(makeCreateRequest(inputs).SortDevicesBy);
    // Any other grouping travels as it is, with the device sort key.
    inputs.groupBy = QStringLiteral("Group");
    request = makeCreateRequest(inputs);
    EXPECT_EQ(request.GroupBy, "Group");
    EXPECT_TRUE(request.SortDevicesBy);
    EXPECT_FALSE(request.SortUsersBy);
}

TEST(JobAccountingCreateRequest, IdListsInSelectionOrderAndLeftOutWhenEmpty) {
    JACReportInputs inputs;
    inputs.reportType = QStringLiteral("RT_JAC_DEVICE_PRINT_DETAILS");
    inputs.start = 1200000000;
    inputs.end = 1200086400;
    inputs.groupBy = QStringLiteral("Device");
    inputs.deviceIds = {QStringLiteral("12"), QStringLiteral("3"), QStringLiteral("x")};
    auto request = makeCreateRequest(inputs);
    const QString body = wire(request);
    EXPECT_FALSE(body.contains("<Users>")) << body.toStdString();
    EXPECT_FALSE(body.contains("<UserGroups>")) << body.toStdString();
    EXPECT_TRUE(body.contains("<Devices>\n\t\t<DeviceID>12</DeviceID>\n\t\t<DeviceID>3</DeviceID>\n"
                              "\t\t<DeviceID>0</DeviceID>\n\t</Devices>\n\t<ReportType>"
                              "RT_JAC_DEVICE_PRINT_DETAILS</ReportType>\n\t<StartTime>1200000000"
                              "</StartTime>\n\t<EndTime>1200086400</EndTime>\n\t<GroupBy>Device"
                              "</GroupBy>\n\t<SortDevicesBy></SortDevicesBy>"))
        << body.toStdString();

    inputs.userIds = {QStringLiteral("18446744073709551615")};
    inputs.userGroupIds = {QStringLiteral("4"), QStringLiteral("2")};
    request = makeCreateRequest(inputs);
    RGPCreateJACReportRequest read;
    QByteArray bytes;
    request.serialize(bytes);
    read.parse(bytes);
    ASSERT_TRUE(read.Users && read.UserGroups && read.Devices);
    EXPECT_EQ(read.Users->UserID, QList<quint64>{18446744073709551615ULL});
    EXPECT_EQ(read.UserGroups->GroupID, (QList<quint64>{4, 2}));
    EXPECT_EQ(read.Devices->DeviceID, (QList<quint64>{12, 3, 0}));
}

// A report generator whose job accounting step polls every `pollMs`.
class JobAccountingFlowTest : public ReportGeneratorTest {
protected:
    static constexpr int handle = 42;

    explicit JobAccountingFlowTest(int pollMs = 1)
        : ReportGeneratorTest(ReportSteps{{}, std::make_shared<JobAccountingFlow>(pollMs)}) {}

    void SetUp() override {
        peers.answer<RGPCreateJACReportRequest>([](const RGPCreateJACReportRequest&) {
            auto created = std::make_unique<RGPCreateJACReportResponse>();
            created->JACReportID = handle;
            return created;
        });
        answerProgress({100});
        peers.answer<RGPGetJACReportResultRequest>([](const RGPGetJACReportResultRequest&) {
            return std::make_unique<RGPGetJACReportResultResponse>();
        });
        peers.answer<RGPDeleteJACReportResultRequest>([](const RGPDeleteJACReportResultRequest&) {
            return std::make_unique<RGPDeleteJACReportResultResponse>();
        });
    }

    // Status answers in turn; the last one repeats.
    void answerProgress(QList<int> steps) {
        peers.answer<RGPGetJACReportStatusRequest>(
            [steps,
             turn = std::make_shared<std::atomic<int>>(0)](const RGPGetJACReportStatusRequest&) {
                auto status = std::make_unique<RGPGetJACReportStatusResponse>();
                status->Progress = steps.value(std::min<int>(turn->fetch_add(1), steps.size() - 1));
                return status;
            });
    }

    int startReport() {
        return start(reportDefinition({{"ReportType", "RT_JAC_USER_BASIC"},
                                       {"GroupBy", "UserGroupUser"},
                                       {"SortBy", "SB_USER_LOGIN"},
                                       {"From", "1000"},
                                       {"To", "2000"}},
                                      {{}, {}, {}, {"7", "5"}, {"3"}}));
    }

    int deleteCount() { return peers.recorder().count("RGPDeleteJACReportResult"); }
};

TEST_F(JobAccountingFlowTest, CreatesPollsFetchesCopiesAndDeletes) {
    JACReport::c_User<JACReport::BasicKind> user;
    user.Login = QStringLiteral("abaker");
    JACReport::c_UserRecord<JACReport::BasicKind> record;
    record.IPAddress = QStringLiteral("10.0.0.1");
    record.RecordData.PrintedBW = 12;
    record.RecordData.Scan = 0;
    user.Record.append(record);
    peers.answer<RGPGetJACReportResultRequest>([user](const RGPGetJACReportResultRequest& r) {
        auto result = std::make_unique<RGPGetJACReportResultResponse>();
        result->Report.emplace().Basic.emplace().ByUser.emplace().User.append(user);
        EXPECT_EQ(r.JACReportID, handle);
        return result;
    });
    const int id = startReport();
    EXPECT_EQ(body(id), "Body(Report(Basic(ByUser(User(Login=abaker,UserName,GroupName,"
                        "Record(ModelName,IPAddress=10.0.0.1,Serial,BasicRecordData(PrintedBW=12,"
                        "Scan=0)))))))");
    EXPECT_EQ(status(QString::number(id))->result(), 0);

    const auto created = peers.recorder().requests<RGPCreateJACReportRequest>();
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0]->ReportType, "RT_JAC_USER_BASIC");
    EXPECT_EQ(created[0]->StartTime, 1000);
    EXPECT_EQ(created[0]->EndTime, 2000);
    EXPECT_EQ(created[0]->Users->UserID, (QList<quint64>{7, 5}));
    EXPECT_EQ(created[0]->UserGroups->GroupID, QList<quint64>{3});
    EXPECT_FALSE(created[0]->Devices);
    EXPECT_EQ(created[0]->SortUsersBy, std::optional<QString>("SB_USER_LOGIN"));
    const auto deleted = peers.recorder().requests<RGPDeleteJACReportResultRequest>();
    ASSERT_EQ(deleted.size(), 1u);
    EXPECT_EQ(deleted[0]->JACReportID, handle);
    EXPECT_EQ(peers.commands().mid(peers.commands().indexOf("RGPCreateJACReport")),
              (QStringList{"RGPCreateJACReport", "RGPGetJACReportStatus", "RGPGetJACReportResult",
                           "RGPDeleteJACReportResult"}));
}

// A report of a device group or model counts the jobs of its devices only; one whose group
// has no device is refused with 112, as other reports are, without asking the plug-in.
TEST_F(JobAccountingFlowTest, AGroupOrModelSelectionSendsItsDevices) {
    peers.onDatabase([](const QStringList& queries) {
        using Peers = ScriptedReportPeers;
        if (queries.value(0).contains("r_GroupID in (9)"))
            return Peers::DatabaseAnswer{{Peers::rows({})}};
        return Peers::DatabaseAnswer{{Peers::rows({{{"DeviceID", "13"}}, {{"DeviceID", "20"}}})}};
    });
    const auto definition = [](ReportSelection selection) {
        return reportDefinition({{"ReportType", "RT_JAC_DEVICE_BASIC"},
                                 {"GroupBy", "Device"},
                                 {"From", "1000"},
                                 {"To", "2000"}},
                                std::move(selection));
    };
    for (const ReportSelection& selection : {ReportSelection{{}, {"2"}, {}, {"7"}, {}},
                                             ReportSelection{{}, {}, {"Orvane X"}, {}, {}}}) {
        const int id = start(definition(selection));
        EXPECT_EQ(waitForEnd(id)->result(), 0);
        const auto created = peers.recorder().requests<RGPCreateJACReportRequest>();
        ASSERT_FALSE(created.empty());
        ASSERT_TRUE(created.back()->Devices);
        EXPECT_EQ(created.back()->Devices->DeviceID, (QList<quint64>{13, 20}));
    }
    EXPECT_EQ(peers.recorder().requests<RGPCreateJACReportRequest>().back()->Users, std::nullopt);

    const qsizetype createdBefore = peers.recorder().requests<RGPCreateJACReportRequest>().size();
    EXPECT_EQ(generate(definition({{}, {"9"}, {}, {}, {}}))->result(),
              ReportResult::NoDeviceInGroup);
    EXPECT_EQ(peers.recorder().requests<RGPCreateJACReportRequest>().size(), createdBefore);
}

TEST_F(JobAccountingFlowTest, ProgressFollowsThePluginAboveTenAndPollingEndsAtHundred) {
    // Each status request sees what the previous answer made of the report's progress.
    std::vector<QString> seen;
    QList<int> steps{5, 40, 100, 100};
    auto turn = std::make_shared<int>(0);
    int id = -1;
    peers.answer<RGPGetJACReportStatusRequest>([&, turn](const RGPGetJACReportStatusRequest&) {
        if (*turn > 0)
            seen.push_back(status(QString::number(id))->reportStatus);
        auto answer = std::make_unique<RGPGetJACReportStatusResponse>();
        answer->Progress = steps.value((*turn)++);
        return answer;
    });
    peers.hold(); // keeps the create answer until the id is known
    id = startReport();
    peers.release();
    waitForEnd(id);
    EXPECT_EQ(seen, (std::vector<QString>{"10", "40"}));
    EXPECT_EQ(peers.recorder().count("RGPGetJACReportStatus"), 3);
}

TEST_F(JobAccountingFlowTest, AResultWithoutReportLeavesTheBodyEmptyAndSucceeds) {
    const int id = startReport();
    EXPECT_EQ(body(id), "Body");
    EXPECT_EQ(status(QString::number(id))->result(), 0);
    EXPECT_EQ(deleteCount(), 1);
}

TEST_F(JobAccountingFlowTest, EachFailingCallFailsTheReportWithThePluginsDetails) {
    for (const QString command :
         {"RGPCreateJACReport", "RGPGetJACReportStatus", "RGPGetJACReportResult"}) {
        peers.recorder().clear();
        peers.fail(command, 7, command + " refused here");
        const int id = startReport();
        const auto answer = waitForEnd(id);
        EXPECT_EQ(answer->result(), ReportResult::GenerationFailed) << command.toStdString();
        EXPECT_EQ(answer->details(), command + " refused here");
        // Once the plug-in made the report, it is told to let it go; nothing else is asked.
        const bool created = command != "RGPCreateJACReport";
        const QStringList asked = peers.commands();
        QStringList expected{command};
        if (created)
            expected.append(QStringLiteral("RGPDeleteJACReportResult"));
        EXPECT_EQ(asked.mid(asked.indexOf(command)), expected);
        EXPECT_EQ(deleteCount(), created ? 1 : 0);
        peers.unfail(command);
    }
}

TEST_F(JobAccountingFlowTest, AFailedDeleteOnlyLogs) {
    peers.fail("RGPDeleteJACReportResult", 7, "gone");
    const int id = startReport();
    EXPECT_EQ(body(id), "Body");
    EXPECT_EQ(status(QString::number(id))->result(), 0);
}

// A poll interval no test outlives: only a stop of the report can end the wait.
class JobAccountingStopTest : public JobAccountingFlowTest {
protected:
    JobAccountingStopTest()
        : JobAccountingFlowTest(int(std::chrono::milliseconds(std::chrono::hours(1)).count())) {}
};

TEST_F(JobAccountingStopTest, CancelWhilePollingEndsAtOnceAndReleasesThePluginsResult) {
    answerProgress({50});
    const int id = startReport();
    ASSERT_TRUE(peers.recorder().waitForCount(1, "RGPGetJACReportStatus"));
    // The status request is seen before its answer reaches the report.
    QString seen;
    for (QDeadlineTimer limit(10000); !limit.hasExpired() && seen != "50"; QThread::msleep(5)) {
        seen = status(QString::number(id))->reportStatus;
    }
    EXPECT_EQ(seen, "50");
    cancel(QString::number(id));
    service.reset(); // waits for the report's thread
    EXPECT_EQ(peers.recorder().count("RGPGetJACReportStatus"), 1);
    EXPECT_EQ(peers.recorder().count("RGPGetJACReportResult"), 0);
    const auto deleted = peers.recorder().requests<RGPDeleteJACReportResultRequest>();
    ASSERT_EQ(deleted.size(), 1u);
    EXPECT_EQ(deleted[0]->JACReportID, handle);
}

TEST_F(JobAccountingStopTest, AReportStoppedWhilePollingFailsWithGeneratorStopped) {
    answerProgress({50});
    const int id = startReport();
    ASSERT_TRUE(peers.recorder().waitForCount(1, "RGPGetJACReportStatus"));
    const auto report = service->findReport(id);
    report->requestStop();
    const auto answer = waitForEnd(id);
    EXPECT_EQ(answer->result(), ReportResult::GenerationFailed);
    EXPECT_EQ(answer->details(), JACTexts::generatorStopped);
    EXPECT_EQ(deleteCount(), 1);
}

} // namespace
