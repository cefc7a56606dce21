// The scheduler's table statements against the real database service of velm-peers, over HTTP.
#include "../QtPrinters.h"
#include "../ScheduleRequests.h"
#include "support/ChildProcess.h"

#include "scheduler/VELMScheduler.h"

#include "VXNServiceFramework/client/ServiceClient.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QThread>

using namespace std::chrono_literals;

namespace {

class SchedulerWithPeers : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        startPeers();
    }
    void TearDown() override {
        scheduler.reset();
        peers.terminate();
    }

    void startPeers() {
        ASSERT_TRUE(peers.startPeers(dir.filePath("fleet.db"), dir.filePath("html")))
            << peers.output().toStdString();
        ServiceClient::instance().setNamingServiceUrl(peers.url());
    }

    void startScheduler() {
        scheduler =
            std::make_unique<VELMScheduler>(ServiceClient::instance(), SchedulerTimings{0ms});
        const QDeadlineTimer deadline(20000);
        while (!scheduler->store().isLoaded() && !deadline.hasExpired())
            QThread::msleep(20);
        ASSERT_TRUE(scheduler->store().isLoaded());
    }

    qint32 registerItem(const QString& service, const QString& command, const QString& tag,
                        bool permanent, qint64 id = -1) {
        auto request = registerRequest(service, id,
                                       localFromSeconds(QDateTime::currentSecsSinceEpoch() + 86400),
                                       permanent, command, tag);
        request->item.intervalType = OccurMonthly;
        request->item.intervalValue = 2;
        return scheduler->registerItem(*request)->scheduleId;
    }

    std::map<qint32, ScheduleItem> items(const QString& service) {
        auto request = eventsInfoRequest(service, QStringLiteral("all"));
        return scheduler->getEventsInfo(*request)->items;
    }

    void unregister(const QString& service, const QString& ids) {
        auto request = unregisterRequest(service, ids);
        scheduler->unregister(*request);
    }

    QTemporaryDir dir;
    ChildProcess peers;
    std::unique_ptr<VELMScheduler> scheduler;
};

TEST_F(SchedulerWithPeers, PermanentItemsSurviveRestartsUnchanged) {
    startScheduler();
    const QString command = QStringLiteral(
        "<VXNRequest command=\"RGPGenerateAndSendReportByEmail\"><Name>Bob's \"weekly\" "
        "&amp; more</Name></VXNRequest>");
    const QString quotedService = QStringLiteral("R\"G");
    EXPECT_EQ(registerItem(QStringLiteral("RG"), command, QStringLiteral("Autosend"), true), 0);
    EXPECT_EQ(registerItem(QStringLiteral("RG"), QStringLiteral("<x command=\"T\">"), {}, false),
              1);
    EXPECT_EQ(registerItem(quotedService, command, QStringLiteral("it's"), true), 0);
    // A temporary item turned permanent is stored too.
    EXPECT_EQ(registerItem(QStringLiteral("RG"), QStringLiteral("<x command=\"P\">"), {}, true, 1),
              1);

    // Both the service and the database service start again on the same file.
    scheduler.reset();
    peers.terminate();
    startPeers();
    startScheduler();

    const auto rg = items(QStringLiteral("RG"));
    ASSERT_EQ(rg.size(), 2u);
    EXPECT_EQ(rg.at(0).commandToSend, command);
    EXPECT_EQ(rg.at(0).tag, QStringLiteral("Autosend"));
    EXPECT_EQ(rg.at(0).intervalType, OccurMonthly);
    EXPECT_EQ(rg.at(0).intervalValue, 2);
    EXPECT_TRUE(rg.at(0).permanent);
    EXPECT_EQ(rg.at(1).commandToSend, QStringLiteral("<x command=\"P\">"));
    const auto quoted = items(quotedService);
    ASSERT_EQ(quoted.size(), 1u);
    EXPECT_EQ(quoted.at(0).commandToSend, command);
    EXPECT_EQ(quoted.at(0).tag, QStringLiteral("it's"));
    EXPECT_EQ(registerItem(QStringLiteral("RG"), {}, {}, false), 2);
}

TEST_F(SchedulerWithPeers, UnregisteredItemsStayGone) {
    startScheduler();
    for (int i = 0; i < 3; ++i)
        registerItem(QStringLiteral("RG"), QStringLiteral("<x command=\"A\">"), {}, true);
    unregister(QStringLiteral("RG"), QStringLiteral("1"));
    startScheduler();
    auto left = items(QStringLiteral("RG"));
    EXPECT_EQ(left.size(), 2u);
    EXPECT_EQ(left.count(1), 0u);

    unregister(QStringLiteral("RG"), QStringLiteral("all"));
    startScheduler();
    EXPECT_TRUE(items(QStringLiteral("RG")).empty());
}

} // namespace
