#include "QtPrinters.h"
#include "ScheduleRequests.h"
#include "SchedulerTestSupport.h"

#include "scheduler/VELMScheduler.h"

#include <gtest/gtest.h>

#include <QThread>
#include <future>

using namespace std::chrono_literals;

namespace {

// A scheduler over a scripted database, loaded at once unless told otherwise.
class SchedulerService : public testing::Test {
protected:
    std::unique_ptr<VELMScheduler> makeScheduler(std::chrono::milliseconds loadDelay = 0ms) {
        SchedulerSetup setup;
        setup.database = database;
        setup.sender = sender;
        setup.loadDelay = loadDelay;
        return std::make_unique<VELMScheduler>(setup);
    }

    void SetUp() override { scheduler = makeScheduler(); }

    qint32 registerItem(const QString& service, qint64 id, bool permanent = false,
                        const QString& command = QStringLiteral("<VXNRequest command=\"X\">"),
                        const QString& tag = {}) {
        // Far ahead, so that nothing fires while a test runs.
        auto request = registerRequest(service, id, QDateTime::currentDateTime().addDays(30),
                                       permanent, command, tag);
        const auto response = scheduler->registerItem(*request);
        EXPECT_EQ(response->result(), 0);
        return response->scheduleId;
    }

    std::unique_ptr<CmdSchGetEventsInfoResponse> get(const QString& service, const QString& ids) {
        auto request = eventsInfoRequest(service, ids);
        return scheduler->getEventsInfo(*request);
    }

    QList<qint32> ids(const QString& service) {
        return idsOf(*get(service, QStringLiteral("all")));
    }

    void unregister(const QString& service, const QString& ids) {
        auto request = unregisterRequest(service, ids);
        EXPECT_EQ(scheduler->unregister(*request)->result(), 0);
    }

    std::shared_ptr<SqliteScheduleDatabase> database = std::make_shared<SqliteScheduleDatabase>();
    std::shared_ptr<RecordingSender> sender = std::make_shared<RecordingSender>();
    std::unique_ptr<VELMScheduler> scheduler;
};

TEST_F(SchedulerService, AssignsIdsAfterTheLargest) {
    EXPECT_EQ(registerItem("RG", -1), 0);
    EXPECT_EQ(registerItem("RG", -1), 1);
    EXPECT_EQ(registerItem("Other", -1), 0);
    EXPECT_EQ(registerItem("RG", -1), 2);
    unregister("RG", "2");
    EXPECT_EQ(registerItem("RG", -1), 2);
    for (int i = 3; i <= 5; ++i)
        registerItem("RG", -1);
    unregister("RG", "2,3,4");
    EXPECT_EQ(ids("RG"), (QList<qint32>{0, 1, 5}));
    EXPECT_EQ(registerItem("RG", -1), 6);
}

TEST_F(SchedulerService, ReplaceKeepsTheIdAndUnknownIdsAnswerMinusTwo) {
    registerItem("RG", -1, false, "<a command=\"A\">");
    EXPECT_EQ(registerItem("RG", 0, false, "<a command=\"B\">"), 0);
    EXPECT_EQ(get("RG", "0")->items.at(0).commandToSend, QStringLiteral("<a command=\"B\">"));
    EXPECT_EQ(registerItem("RG", 7), -2);
    EXPECT_EQ(ids("RG"), (QList<qint32>{0}));
    // The unknown service is created, empty.
    EXPECT_EQ(registerItem("New", 7), -2);
    const auto empty = get("New", "all");
    EXPECT_EQ(empty->result(), -1);
    EXPECT_EQ(empty->details(), QStringLiteral("Invalid ID(s)"));
}

TEST_F(SchedulerService, PermanentItemsKeepTheirRows) {
    registerItem("RG", -1, true, "<a command=\"P\">");
    registerItem("RG", -1, false, "<a command=\"T\">");
    EXPECT_EQ(database->rows(), QStringList{"RG|0|<a command=&quot;P&quot;>|"});

    registerItem("RG", 0, true, "<a command=\"P2\">", "tag");
    EXPECT_EQ(database->rows(), QStringList{"RG|0|<a command=&quot;P2&quot;>|tag"});
    // A temporary item that becomes permanent gets its row.
    registerItem("RG", 1, true, "<a command=\"T2\">");
    EXPECT_EQ(database->rows(), (QStringList{"RG|0|<a command=&quot;P2&quot;>|tag",
                                             "RG|1|<a command=&quot;T2&quot;>|"}));
    // A permanent item that becomes temporary loses it.
    registerItem("RG", 0, false);
    EXPECT_EQ(database->rows(), QStringList{"RG|1|<a command=&quot;T2&quot;>|"});
    unregister("RG", "ALL");
    EXPECT_TRUE(database->rows().isEmpty());
    EXPECT_TRUE(ids("RG").isEmpty());
}

TEST_F(SchedulerService, TableFailuresLeaveTheItemInMemory) {
    database->setFailure(5);
    EXPECT_EQ(registerItem("RG", -1, true), 0);
    EXPECT_EQ(ids("RG"), QList<qint32>{0});
    database->setFailure(0);
    EXPECT_TRUE(database->rows().isEmpty());
}

TEST_F(SchedulerService, UnregisterListsSkipWhatIsNotThere) {
    for (int i = 0; i < 4; ++i)
        registerItem("RG", -1, i % 2 == 0);
    unregister("Unknown", "all");
    unregister("RG", " 1 , 9,,3 ");
    EXPECT_EQ(ids("RG"), (QList<qint32>{0, 2}));
    EXPECT_EQ(database->rows().size(), 2);
    unregister("RG", "2");
    EXPECT_EQ(database->rows().size(), 1);
    unregister("RG", "All");
    EXPECT_TRUE(ids("RG").isEmpty());
    EXPECT_TRUE(database->rows().isEmpty());
}

TEST_F(SchedulerService, GetReturnsTheListedItemsThatExist) {
    for (int i = 0; i < 3; ++i)
        registerItem("RG", -1, false, QStringLiteral("<a command=\"C%1\">").arg(i));
    const auto some = get("RG", "2, 7,2,0");
    EXPECT_EQ(some->result(), 0);
    EXPECT_EQ(some->serviceName, QStringLiteral("RG"));
    ASSERT_EQ(some->items.size(), 2u);
    EXPECT_EQ(some->items.at(0).commandToSend, QStringLiteral("<a command=\"C0\">"));
    EXPECT_EQ(some->items.at(2).scheduleId, 2);

    for (const char* none : {"7", "", "x"}) {
        const auto answer = get("RG", QString::fromUtf8(none));
        EXPECT_EQ(answer->result(), -1) << none;
        EXPECT_EQ(answer->details(), QStringLiteral("Invalid ID(s)"));
    }
    EXPECT_EQ(get("Unknown", "all")->result(), -1);
    EXPECT_EQ(get("RG", "aLL")->items.size(), 3u);
}

TEST_F(SchedulerService, RegistrationLogLines) {
    LogCapture log;
    auto request = registerRequest(QStringLiteral("RG"), -1, localFromSeconds(4000000000), true,
                                   QStringLiteral("<c/>"), QStringLiteral("Autosend"));
    request->item.intervalType = OccurWeekly;
    request->item.intervalValue = 2;
    scheduler->registerItem(*request);
    // The worker's lines may come in between.
    QStringList lines;
    for (const QString& line : log.lines()) {
        if (line.startsWith(QLatin1String("CmdSch")) || line.startsWith(QLatin1Char(' ')))
            lines.append(line);
    }
    const QStringList expected{"CmdSchRegister: Service= RG",
                               " Starttime = 4000000000",
                               " Stoptime = 0",
                               " IntervalType = 3",
                               " IntervalValue = 2",
                               " ScheduleID = -1",
                               " Tag = Autosend",
                               " CommandToSend = <c/>",
                               " Permanent = 1",
                               " return = 0"};
    EXPECT_EQ(lines.mid(lines.indexOf(expected.first()), expected.size()), expected);
}

TEST_F(SchedulerService, UnregisterLogLines) {
    LogCapture log;
    unregister("RG", "all");
    const QStringList lines = log.lines();
    EXPECT_TRUE(lines.contains("CmdSchUnregister: ServiceName = RG"));
    EXPECT_TRUE(lines.contains("CmdSchUnregister: DeleteAllRG"));
}

TEST_F(SchedulerService, PermanentItemsComeBackAfterARestart) {
    const QString command =
        QStringLiteral("<VXNRequest command=\"RGPX\"><Name>It's \"quoted\"</Name></VXNRequest>");
    const QString service = QStringLiteral("R\"G");
    registerItem(service, -1, true, command, QStringLiteral("it's \"t\""));
    registerItem(service, -1, false);
    registerItem(service, -1, true, QStringLiteral("<b command=\"B\">"));
    {
        LogCapture log;
        scheduler = makeScheduler();
        ASSERT_TRUE(eventually([&] { return scheduler->store().isLoaded(); }, 5s));
        EXPECT_TRUE(log.lines().contains(QStringLiteral("Events loaded: 2")));
    }
    const auto items = get(service, "all");
    ASSERT_EQ(items->items.size(), 2u);
    const ScheduleItem& first = items->items.at(0);
    EXPECT_EQ(first.commandToSend, command);
    EXPECT_EQ(first.tag, QStringLiteral("it's \"t\""));
    EXPECT_TRUE(first.permanent);
    EXPECT_EQ(first.intervalType, OccurDaily);
    EXPECT_EQ(items->items.at(2).commandToSend, QStringLiteral("<b command=\"B\">"));
    // The next id follows the loaded ones.
    EXPECT_EQ(registerItem(service, -1), 3);
}

TEST_F(SchedulerService, LoadSkipsRowsWithoutServiceAndLetsTheLaterDuplicateWin) {
    ASSERT_TRUE(database->exec(
        "INSERT INTO Scheduler(ServiceName, ScheduleID, StartTime, IntervalType, IntervalValue, "
        "StopTime, CommandToSend, Tag) VALUES ('RG', 1, 1780000000, 2, 1, 0, 'first', ''), "
        "('RG', 1, 1780000000, 'x', 1, 0, 'second', ''), ('', 2, 1, 1, 1, 0, 'none', '');"));
    LogCapture log;
    scheduler = makeScheduler();
    ASSERT_TRUE(eventually([&] { return scheduler->store().isLoaded(); }, 5s));
    EXPECT_TRUE(log.lines().contains(QStringLiteral("Events loaded: 2")));
    const auto items = get("RG", "all");
    ASSERT_EQ(items->items.size(), 1u);
    EXPECT_EQ(items->items.at(1).commandToSend, QStringLiteral("second"));
    EXPECT_EQ(items->items.at(1).intervalType, OccurOnce);
    EXPECT_FALSE(items->items.at(1).stopTime);
}

TEST_F(SchedulerService, FailedLoadLoadsNothingAndCommandsGoOn) {
    registerItem("RG", -1, true);
    database->setFailure(3);
    scheduler = makeScheduler();
    EXPECT_EQ(get("RG", "all")->result(), -1);
    EXPECT_EQ(registerItem("RG", -1), 0);
}

TEST_F(SchedulerService, EarlyCommandsWaitForTheLoad) {
    registerItem("RG", -1, true);
    registerItem("RG", -1, true);
    database->hold();
    scheduler = makeScheduler(200ms);
    // Sent during the start-up delay and the (held) database answer: it must not be given an
    // id the table already holds.
    auto early = std::async(std::launch::async, [&] { return registerItem("RG", -1); });
    EXPECT_EQ(early.wait_for(600ms), std::future_status::timeout);
    database->release();
    EXPECT_EQ(early.get(), 2);
    EXPECT_EQ(ids("RG"), (QList<qint32>{0, 1, 2}));
}

TEST_F(SchedulerService, DestroyedBeforeTheLoad) {
    scheduler = makeScheduler(1h);
    auto early = std::async(std::launch::async, [&] { return registerItem("RG", -1); });
    QThread::msleep(100);
    // The service ends during the delay: the waiting command is let go without a load.
    scheduler->store().skipLoad();
    EXPECT_EQ(early.get(), 0);
    scheduler.reset();
}

} // namespace
