#include "ReportGeneratorFixture.h"

#include "VELMPluginReportGenerator/lifecycle/CRepWaitThread.h"
#include "VELMPluginReportGenerator/report/ReportResult.h"

#include "support/TestSemaphore.h"

#include "VXNServiceFramework/captured_log.h"

#include <set>
#include <thread>

namespace {

const ReportSelection devices12{{"1", "2"}, {}, {}, {}, {}};

const auto oneRowPerSelect = &ScriptedReportPeers::oneRowPerSelect;

// Database answers held at a gate: each tells `entered`, then waits for `release`.
auto heldAnswers(TestSemaphore& entered, TestSemaphore& release) {
    return [&entered, &release](const QStringList& queries) {
        entered.release();
        release.acquire();
        return oneRowPerSelect(queries);
    };
}

ReportDefinition deviceList(ReportSelection selection = devices12) {
    return reportDefinition({{"ReportType", "RT_DEVICE_LIST"}}, std::move(selection));
}

} // namespace

TEST_F(ReportGeneratorTest, IdsCountFromZeroAndAFailedCreationUsesItsId) {
    peers.onDatabase([](const QStringList& queries) {
        // The group holds no device; the device list finds one row.
        if (queries.first().contains(QLatin1String("DeviceInGroup")))
            return ScriptedReportPeers::DatabaseAnswer{{ScriptedReportPeers::rows({})}};
        return oneRowPerSelect(queries);
    });
    EXPECT_EQ(generate(deviceList())->reportId, "0");
    const auto failed = generate(
        reportDefinition({{"ReportType", "RT_DEVICE_INFO_SUMMARY"}}, {{}, {"7"}, {}, {}, {}}));
    EXPECT_EQ(failed->result(), ReportResult::NoDeviceInGroup);
    EXPECT_EQ(failed->details(), ReportResult::noDeviceInGroupText);
    EXPECT_TRUE(failed->reportId.isEmpty());
    EXPECT_EQ(generate(deviceList())->reportId, "2");
    EXPECT_EQ(status("1")->result(), ReportResult::InvalidReportId);
}

TEST_F(ReportGeneratorTest, AFinishedReportAnswersProgressAndItsResults) {
    peers.onDatabase(oneRowPerSelect);
    const int id = start(deviceList());
    const auto finished = waitForEnd(id);
    EXPECT_EQ(finished->result(), 0);
    EXPECT_EQ(finished->reportStatus, "100");
    EXPECT_EQ(finished->isEmail, QString::number(id));
    EXPECT_EQ(body(id), "Body(Report(Row(DeviceID=1,Name=n)))");
    EXPECT_TRUE(info(id).startsWith("Info(ReportCategory,ReportType=RT_DEVICE_LIST,ReportFormat,"
                                    "IsSummary=No,ReportDate=2008-01-16 10:30:00"))
        << info(id).toStdString();
}

TEST_F(ReportGeneratorTest, ReportIdsThatNameNoReportAnswer107) {
    for (const QString& id :
         {QString(), QStringLiteral("x"), QStringLiteral("5"), QStringLiteral("-1")}) {
        EXPECT_EQ(status(id)->result(), ReportResult::InvalidReportId);
        EXPECT_EQ(status(id)->details(), ReportResult::invalidReportIdText);
        EXPECT_EQ(results(id)->result(), ReportResult::InvalidReportId);
        const auto cancelled = cancel(id);
        ASSERT_TRUE(cancelled);
        EXPECT_EQ(cancelled->result(), ReportResult::InvalidReportId);
    }
    // A request without any Report element reads as an empty id.
    RequestPacket bare(CmdRGPGetReportStatusRequest::commandName);
    QByteArray bytes;
    bare.serialize(bytes);
    const auto answer = service->dispatch(CmdRGPGetReportStatusRequest::commandName, bytes);
    EXPECT_EQ(answer->result(), ReportResult::InvalidReportId);
}

TEST_F(ReportGeneratorTest, AReportWithoutDataFailsWith110AndStillEndsAt100) {
    peers.onDatabase([](const QStringList& queries) {
        ScriptedReportPeers::DatabaseAnswer answer;
        for (qsizetype i = 0; i < queries.size(); ++i)
            answer.sets.append(ScriptedReportPeers::rows({}));
        return answer;
    });
    CapturedLog log;
    const int id = start(deviceList());
    EXPECT_EQ(waitForEnd(id)->result(), ReportResult::NoData);
    EXPECT_EQ(service->findReport(id)->progress(), 100);
    // The log tells which report ended how, beside the lines of its definition.
    EXPECT_EQ(log.lines().filter(QStringLiteral("info: Report %1: created").arg(id)).size(), 1);
    EXPECT_EQ(log.lines()
                  .filter(QStringLiteral("info: Report %1: ended after ").arg(id))
                  .filter(QStringLiteral(": 110 ") + ReportResult::noDataText)
                  .size(),
              1)
        << log.lines().join(QLatin1Char('\n')).toStdString();
    const auto answer = results(QString::number(id));
    EXPECT_EQ(answer->result(), ReportResult::NoData);
    EXPECT_EQ(answer->details(), ReportResult::noDataText);
    EXPECT_EQ(answer->body(), nullptr);
}

TEST_F(ReportGeneratorTest, ARunningReportAnswers108AndSurvivesItsCancel) {
    TestSemaphore entered, release;
    peers.onDatabase(heldAnswers(entered, release));
    const int id = start(deviceList());
    entered.acquire();
    const auto running = status(QString::number(id));
    EXPECT_EQ(running->result(), 0);
    EXPECT_EQ(running->reportStatus, "20"); // Info, then the script split
    EXPECT_EQ(results(QString::number(id))->result(), ReportResult::InProgress);
    EXPECT_EQ(results(QString::number(id))->details(), ReportResult::inProgressText);

    std::weak_ptr<VELMReport> report = service->findReport(id);
    EXPECT_EQ(cancel(QString::number(id)), nullptr); // an empty envelope
    EXPECT_EQ(status(QString::number(id))->result(), ReportResult::InvalidReportId);
    EXPECT_EQ(cancel(QString::number(id))->result(), ReportResult::InvalidReportId);
    // Its thread still holds it; it goes once the run ends.
    EXPECT_FALSE(report.expired());
    release.release();
    while (!report.expired())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TEST_F(ReportGeneratorTest, StoppingTheServiceWaitsForTheReportsStillRunning) {
    TestSemaphore entered;
    std::atomic<bool> released{false};
    peers.onDatabase([&](const QStringList& queries) {
        entered.release();
        while (!released)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return oneRowPerSelect(queries);
    });
    const int id = start(deviceList());
    entered.acquire();
    std::weak_ptr<VELMReport> report = service->findReport(id);
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        released = true;
    });
    service.reset(); // the peers are still needed by the report while it runs
    EXPECT_TRUE(report.expired());
    releaser.join();
}

TEST_F(ReportGeneratorTest, TheCollectorRemovesReportsSixHoursAfterTheirLastAccess) {
    peers.onDatabase(oneRowPerSelect);
    const int left = start(deviceList());
    const int polled = start(deviceList());
    waitForEnd(left);
    waitForEnd(polled);
    waitForThread(left);
    waitForThread(polled);
    for (int hour = 1; hour <= 5; ++hour) {
        clock.advance(3600);
        status(QString::number(polled));
        service->collector().collectOnce();
    }
    EXPECT_EQ(service->findReport(left)->id(), left); // five hours old
    clock.advance(3600 - 1);
    service->collector().collectOnce();
    ASSERT_NE(service->findReport(left), nullptr);
    clock.advance(1);
    service->collector().collectOnce();
    EXPECT_EQ(service->findReport(left), nullptr);
    EXPECT_EQ(status(QString::number(left))->result(), ReportResult::InvalidReportId);
    EXPECT_NE(service->findReport(polled), nullptr);

    // A clock set back by six hours counts the same.
    clock.advance(-2 * 21600);
    service->collector().collectOnce();
    EXPECT_EQ(service->findReport(polled), nullptr);
}

TEST_F(ReportGeneratorTest, TheCollectorKeepsAReportWhoseThreadRuns) {
    TestSemaphore entered, release;
    peers.onDatabase(heldAnswers(entered, release));
    const int id = start(deviceList());
    entered.acquire();
    clock.advance(7 * 3600);
    service->collector().collectOnce();
    EXPECT_NE(service->findReport(id), nullptr);
    release.release();
    waitForEnd(id);
}

TEST_F(ReportGeneratorTest, StoppingWakesTheCollectorFromItsWait) {
    // The collector waits an hour between passes; ending the service must not wait for it.
    service->collector().collectOnce();
    service.reset();
    SUCCEED();
}

TEST_F(ReportGeneratorTest, LookupsDoNotWaitForACreationThatQueriesTheDatabase) {
    TestSemaphore entered, release;
    peers.onDatabase(oneRowPerSelect);
    const int first = start(deviceList());
    peers.onDatabase([&](const QStringList& queries) {
        if (queries.first().contains(QLatin1String("from devices"))) {
            entered.release();
            release.acquire();
        }
        return oneRowPerSelect(queries);
    });
    // A creation for all devices resolves them while the test holds the database.
    std::thread creator([&] { start(reportDefinition({{"ReportType", "RT_ALERT_HISTORY"}})); });
    entered.acquire();
    EXPECT_EQ(waitForEnd(first)->reportStatus, "100");
    release.release();
    creator.join();
}

TEST_F(ReportGeneratorTest, TwentyReportsAtOnceGetDistinctIdsAndAllFinish) {
    peers.onDatabase(oneRowPerSelect);
    std::vector<std::thread> threads;
    std::mutex mutex;
    std::set<int> ids;
    for (int i = 0; i < 20; ++i)
        threads.emplace_back([&] {
            const int id = start(deviceList());
            std::lock_guard lock(mutex);
            ids.insert(id);
        });
    for (auto& thread : threads)
        thread.join();
    ASSERT_EQ(ids.size(), 20u);
    EXPECT_EQ(*ids.begin(), 0);
    EXPECT_EQ(*ids.rbegin(), 19);
    for (int id : ids)
        EXPECT_EQ(waitForEnd(id)->reportStatus, "100");
}

TEST_F(ReportGeneratorTest, TheWaitThreadStopsAtTheFirstFinishedOrFailedStatus) {
    TestSemaphore release;
    peers.onDatabase([&](const QStringList& queries) {
        release.acquire();
        return oneRowPerSelect(queries);
    });
    const int id = start(deviceList());
    CmdRGPGetReportStatusRequest request;
    request.reportId = QString::number(id);
    CRepWaitThread waiter(service->reportCommands(), request, std::chrono::milliseconds(1));
    waiter.start();
    EXPECT_FALSE(waiter.wait(std::chrono::milliseconds(50))); // still running: the report waits
    release.release(2);
    ASSERT_TRUE(waiter.wait());
    EXPECT_EQ(waiter.lastResponse()->reportStatus, "100");

    request.reportId = QStringLiteral("99");
    CRepWaitThread unknown(service->reportCommands(), request, std::chrono::milliseconds(1));
    unknown.start();
    ASSERT_TRUE(unknown.wait());
    EXPECT_EQ(unknown.lastResponse()->result(), ReportResult::InvalidReportId);
}

// Reports are kept for hours; when the finished ones hold more than the budget, those used
// longest ago go first, so a flood of reports cannot take all the memory.
TEST_F(ReportGeneratorTest, FinishedReportsUsedLongestAgoGoWhenTheKeptOnesHoldMoreThanTheBudget) {
    peers.onDatabase(oneRowPerSelect);
    const int sample = start(deviceList());
    waitForEnd(sample);
    const std::size_t one = service->findReport(sample)->keptBytes();
    ASSERT_GT(one, 0u);

    ReportGeneratorSetup setup;
    setup.caller = &peers;
    setup.clock = [this] {
        return clock.now();
    };
    setup.collector.wait = std::chrono::hours(1);
    setup.keptReportsBudget = 2 * one + one / 2;
    service = std::make_unique<VELMReportGenerator>(std::move(setup));

    const int a = start(deviceList());
    waitForEnd(a);
    clock.advance(1);
    const int b = start(deviceList());
    waitForEnd(b);
    clock.advance(1);
    status(QString::number(a)); // a is now used after b
    clock.advance(1);
    const int c = start(deviceList());
    waitForEnd(c);
    for (const int ended : {a, b, c})
        waitForThread(ended);
    EXPECT_NE(service->findReport(b), nullptr); // two finished reports fit
    clock.advance(1);
    const int d = start(deviceList());
    EXPECT_EQ(service->findReport(b), nullptr);
    EXPECT_EQ(status(QString::number(b))->result(), ReportResult::InvalidReportId);
    for (const int kept : {a, c, d})
        EXPECT_NE(service->findReport(kept), nullptr) << kept;
    waitForEnd(d);
}
