// The job accounting plug-in's own rules: what it refuses before any SQL is built, and how long
// it keeps what it computed.
#include "suite/JobAccountingPeerService.h"
#include "suite/SqlEngine.h"

#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

class JobAccountingPeerServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine.prepareDatabase();
        engine.run({QStringLiteral("INSERT INTO Users VALUES (1, 'abaker', 'Ann Baker', NULL)"),
                    QStringLiteral("INSERT INTO JobLog (R_UserID, R_DeviceID, JobTime, JobType, "
                                   "Pages, ColorMode) VALUES (1, 9, 50, 'print', 4, 'mono')")});
    }

    RGPCreateJACReportRequest request(const QString& type = QStringLiteral("RT_JAC_USER_BASIC")) {
        RGPCreateJACReportRequest create;
        create.ReportType = type;
        create.StartTime = 0;
        create.EndTime = 100;
        create.GroupBy = QStringLiteral("User");
        create.SortUsersBy = QStringLiteral("SB_USER_NAME");
        return create;
    }

    // The status of a report once its computation ended.
    std::unique_ptr<RGPGetJACReportStatusResponse> finished(int handle) {
        RGPGetJACReportStatusRequest status;
        status.JACReportID = handle;
        for (;;) {
            auto answer = service.getReportStatus(status);
            if (answer->result() != 0 || answer->Progress == 100)
                return answer;
            QThread::msleep(1);
        }
    }

    QTemporaryDir dir;
    SqlEngine engine{dir.filePath(QStringLiteral("db.sqlite"))};
    JobAccountingStore store{engine.path(), 1000};
    JobAccountingPeerService service{store};
};

TEST_F(JobAccountingPeerServiceTest, RefusesWhatWouldReachSqlUnchecked) {
    auto create = request();
    create.SortUsersBy = QStringLiteral("Login; DROP TABLE JobLog");
    EXPECT_EQ(service.createReport(create)->result(), JobAccountingPeerService::refusedRequest);

    create = request(QStringLiteral("RT_DEVICE_LIST"));
    EXPECT_EQ(service.createReport(create)->result(), JobAccountingPeerService::refusedRequest);

    create = request();
    create.Devices.emplace().DeviceID = {3, 0};
    const auto refused = service.createReport(create);
    EXPECT_EQ(refused->result(), JobAccountingPeerService::refusedRequest);
    EXPECT_TRUE(refused->details().contains("DeviceID 0")) << refused->details().toStdString();

    create = request();
    create.StartTime = 200;
    EXPECT_EQ(service.createReport(create)->result(), JobAccountingPeerService::refusedRequest);

    EXPECT_EQ(engine.run({QStringLiteral("SELECT COUNT(*) AS n FROM JobLog")})
                  .resultSets.first()
                  .rows.first()
                  .value(u"n"),
              "1");
}

TEST_F(JobAccountingPeerServiceTest, KeepsAResultUntilItIsDeleted) {
    auto create = request();
    const auto created = service.createReport(create);
    ASSERT_EQ(created->result(), 0) << created->details().toStdString();
    EXPECT_NE(created->JACReportID, 0);
    EXPECT_EQ(finished(created->JACReportID)->result(), 0);

    RGPGetJACReportResultRequest fetch;
    fetch.JACReportID = created->JACReportID;
    for (int twice = 0; twice < 2; ++twice) {
        const auto result = service.getReportResult(fetch);
        ASSERT_EQ(result->result(), 0);
        ASSERT_TRUE(result->Report && result->Report->Basic && result->Report->Basic->ByUser);
        const auto& user = result->Report->Basic->ByUser->User.at(0);
        EXPECT_EQ(user.UserName, "Ann Baker");
        EXPECT_EQ(user.Record.at(0).RecordData.PrintedBW, 4);
    }
    RGPDeleteJACReportResultRequest remove;
    remove.JACReportID = created->JACReportID;
    EXPECT_EQ(service.deleteReportResult(remove)->result(), 0);
    EXPECT_EQ(service.getReportResult(fetch)->result(), JobAccountingPeerService::unknownReport);
    EXPECT_EQ(service.deleteReportResult(remove)->result(),
              JobAccountingPeerService::unknownReport);
}

TEST(JobAccountingStore, ResultsOlderThanTheirKeepingTimeAreGone) {
    QTemporaryDir dir;
    SqlEngine engine{dir.filePath(QStringLiteral("db.sqlite"))};
    engine.prepareDatabase();
    JobAccountingStore store{engine.path(), 1000, std::chrono::milliseconds(0)};
    const std::optional<int> handle = store.add(JobAccountingQuery{});
    ASSERT_TRUE(handle);
    EXPECT_FALSE(store.find(*handle));
    EXPECT_FALSE(store.remove(*handle));
}

TEST(JobAccountingStore, KeepsNoMoreThanItsLimitUntilOneIsDeleted) {
    QTemporaryDir dir;
    SqlEngine engine{dir.filePath(QStringLiteral("db.sqlite"))};
    engine.prepareDatabase();
    JobAccountingStore store{engine.path(), 1000, std::chrono::hours(1), 2};
    const auto first = store.add(JobAccountingQuery{});
    ASSERT_TRUE(first && store.add(JobAccountingQuery{}));
    EXPECT_FALSE(store.add(JobAccountingQuery{}));
    EXPECT_TRUE(store.remove(*first));
    EXPECT_TRUE(store.add(JobAccountingQuery{}));
}

TEST(JobAccountingStore, AFailedComputationAnswersItsReason) {
    QTemporaryDir dir;
    JobAccountingStore store{dir.filePath(QStringLiteral("missing.sqlite")), 1000};
    const int handle = store.add(JobAccountingQuery{}).value();
    std::optional<JobAccountingStore::Snapshot> snapshot;
    do
        snapshot = store.find(handle);
    while (snapshot && snapshot->progress < 100);
    ASSERT_TRUE(snapshot);
    EXPECT_FALSE(snapshot->error.isEmpty());
    EXPECT_FALSE(snapshot->report);
}

} // namespace
