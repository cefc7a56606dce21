#include "QtPrinters.h"
#include "ScheduleRequests.h"
#include "SchedulerTestSupport.h"

#include "scheduler/ScheduleSql.h"
#include "scheduler/SchedulerResults.h"
#include "scheduler/VELMScheduler.h"

#include <gtest/gtest.h>

#include <QThread>
#include <future>
#include <limits>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

// A scheduler over a scripted database, loaded at once unless told otherwise.
class SchedulerService : public testing::Test {
protected:
    std::unique_ptr<VELMScheduler> makeScheduler(std::chrono::milliseconds loadDelay = 0ms,
                                                 std::chrono::milliseconds loadRetry = 1h) {
        return std::make_unique<VELMScheduler>(peers, SchedulerTimings{loadDelay, loadRetry});
    }

    void waitForLoad() {
        ASSERT_TRUE(eventually([&] { return scheduler->store().isLoaded(); }, 5s));
    }

    void SetUp() override { scheduler = makeScheduler(); }

    std::unique_ptr<CmdSchRegisterResponse>
    registerResponse(const QString& service, qint64 id, bool permanent = false,
                     const QString& command = QStringLiteral("<VXNRequest command=\"X\">"),
                     const QString& tag = {}) {
        // Far ahead, so that nothing fires while a test runs.
        auto request = registerRequest(service, id, QDateTime::currentDateTime().addDays(30),
                                       permanent, command, tag);
        return scheduler->registerItem(*request);
    }

    qint32 registerItem(const QString& service, qint64 id, bool permanent = false,
                        const QString& command = QStringLiteral("<VXNRequest command=\"X\">"),
                        const QString& tag = {}) {
        const auto response = registerResponse(service, id, permanent, command, tag);
        EXPECT_EQ(response->result(), 0) << response->details().toStdString();
        return response->scheduleId;
    }

    std::unique_ptr<CmdSchGetEventsInfoResponse> get(const QString& service, const QString& ids) {
        auto request = eventsInfoRequest(service, ids);
        return scheduler->getEventsInfo(*request);
    }

    QList<qint32> ids(const QString& service) {
        return idsOf(*get(service, QStringLiteral("all")));
    }

    std::unique_ptr<CmdSchUnregisterResponse> unregisterResponse(const QString& service,
                                                                 const QString& ids) {
        auto request = unregisterRequest(service, ids);
        return scheduler->unregister(*request);
    }

    void unregister(const QString& service, const QString& ids) {
        EXPECT_EQ(unregisterResponse(service, ids)->result(), 0);
    }

    std::shared_ptr<SqliteScheduleDatabase> database = std::make_shared<SqliteScheduleDatabase>();
    std::shared_ptr<RecordingSender> sender = std::make_shared<RecordingSender>();
    ScriptedSchedulerPeers peers{*database, *sender};
    std::unique_ptr<VELMScheduler> scheduler;
};

// The same scheduler, with the database's answers held back on demand.
class SchedulerWithSlowDatabase : public SchedulerService {
protected:
    void SetUp() override {
        SchedulerService::SetUp();
        waitForLoad();
    }
    void TearDown() override { peers.release(); }

    // Starts `call` on a thread of its own and answers its future.
    template <class F> auto async(F call) { return std::async(std::launch::async, call); }

    void waitForStatements(int count) {
        ASSERT_TRUE(eventually([&] { return peers.databaseRequests() >= count; }, 5s));
    }
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

// In-process callers hand over the packet they built; an interval below 1 must not leave a
// recurring item without a next run.
TEST_F(SchedulerService, AnIntervalBelowOneFromAnInProcessCallerBecomesOne) {
    waitForLoad();
    for (const qint32 value : {0, -5, std::numeric_limits<qint32>::min()}) {
        auto request = registerRequest("RG", -1, QDateTime::currentDateTime().addDays(30), true,
                                       QStringLiteral("<VXNRequest command=\"X\">"), {});
        request->item.intervalValue = value;
        const auto response = scheduler->registerItem(*request);
        ASSERT_EQ(response->result(), 0) << response->details().toStdString();
        const auto stored = [&] {
            return get("RG", QString::number(response->scheduleId))->items.at(response->scheduleId);
        };
        EXPECT_EQ(stored().intervalValue, 1) << value;
        // The worker plans the item on its next pass.
        EXPECT_TRUE(eventually([&] { return stored().nextTime.has_value(); }, 5s)) << value;
    }
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

TEST_F(SchedulerService, FailedTableWritesAnswerNotStoredAndChangeNothing) {
    waitForLoad();
    registerItem("RG", -1, true, "<a command=\"P\">");
    registerItem("RG", -1, false, "<a command=\"T\">");
    peers.failDatabase();

    const auto added = registerResponse("RG", -1, true);
    EXPECT_EQ(added->result(), SchedulerResult::NotStored);
    EXPECT_EQ(added->details(),
              QStringLiteral("Schedule item not saved in the database: scripted failure"));
    EXPECT_EQ(added->scheduleId, -1);
    // Replacing the permanent item, whether by a permanent or a temporary one.
    for (bool permanent : {true, false}) {
        const auto replaced = registerResponse("RG", 0, permanent, "<a command=\"New\">");
        EXPECT_EQ(replaced->result(), SchedulerResult::NotStored) << permanent;
    }
    // Making the temporary item permanent.
    EXPECT_EQ(registerResponse("RG", 1, true)->result(), SchedulerResult::NotStored);

    const auto all = get("RG", "all");
    ASSERT_EQ(idsOf(*all), (QList<qint32>{0, 1}));
    EXPECT_EQ(all->items.at(0).commandToSend, QStringLiteral("<a command=\"P\">"));
    EXPECT_TRUE(all->items.at(0).permanent);
    EXPECT_FALSE(all->items.at(1).permanent);

    // The temporary item goes; the permanent one, whose row stays, is kept and named.
    const auto removed = unregisterResponse("RG", "all");
    EXPECT_EQ(removed->result(), SchedulerResult::NotStored);
    EXPECT_EQ(removed->details(),
              QStringLiteral("Schedule item(s) 0 not removed from the database: scripted failure"));
    EXPECT_EQ(ids("RG"), QList<qint32>{0});
    EXPECT_EQ(unregisterResponse("RG", "0")->result(), SchedulerResult::NotStored);

    peers.recoverDatabase();
    EXPECT_EQ(database->rows(), QStringList{"RG|0|<a command=&quot;P&quot;>|"});
    // The failed insert did not use up an id.
    EXPECT_EQ(registerItem("RG", -1, true), 1);
    unregister("RG", "0");
    EXPECT_EQ(database->rows(), QStringList{"RG|1|<VXNRequest command=&quot;X&quot;>|"});
}

TEST_F(SchedulerService, AnIdWhoseInsertWentUnansweredIsNotHandedOutAgain) {
    // The database may still write that row: a second item of the same id would meet it in
    // the table, and one would replace the other at the next load.
    waitForLoad();
    registerItem("RG", -1, true, "<a command=\"P\">");
    peers.loseDatabaseAnswers();
    const auto unanswered = registerResponse("RG", -1, true);
    EXPECT_EQ(unanswered->result(), SchedulerResult::NotStored);
    EXPECT_TRUE(unanswered->details().contains(QStringLiteral("may still write it")))
        << unanswered->details().toStdString();
    peers.recoverDatabase();
    EXPECT_EQ(registerItem("RG", -1, true), 2);
    EXPECT_EQ(ids("RG"), (QList<qint32>{0, 2}));
}

TEST_F(SchedulerService, ConcurrentChangesKeepTableAndMemoryAlike) {
    waitForLoad();
    constexpr int threads = 6;
    constexpr int perThread = 24;
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            for (int i = 0; i < perThread; ++i) {
                const QString command = QStringLiteral("<c t='%1' i=\"%2\"/>").arg(t).arg(i);
                const qint32 id = registerItem("RG", -1, i % 4 != 0, command);
                if (i % 3 == 0)
                    unregister("RG", QString::number(id));
                else if (i % 3 == 1)
                    registerItem("RG", id, i % 2 == 0, command + QStringLiteral("again"));
            }
        });
    }
    for (auto& worker : workers)
        worker.join();

    QStringList inMemory;
    const auto all = get("RG", "all");
    for (const auto& [id, item] : all->items) {
        if (item.permanent)
            inMemory.append(
                QStringLiteral("RG|%1|%2|").arg(id).arg(escapeStoredText(item.commandToSend)));
    }
    QStringList inTable = database->rows();
    inMemory.sort();
    inTable.sort();
    EXPECT_EQ(inTable, inMemory);
    EXPECT_EQ(ids("RG").size(), threads * perThread * 2 / 3);
}

TEST_F(SchedulerService, RegistrationsWithoutServiceOrWithABadIdAreRefused) {
    waitForLoad();
    registerItem("RG", -1, true, "<a command=\"Zero\">");
    const int before = peers.databaseRequests();

    const auto noService = registerResponse(QString(), -1, true);
    EXPECT_EQ(noService->result(), SchedulerResult::InvalidRequest);
    EXPECT_EQ(noService->details(), QStringLiteral("ServiceName is empty"));

    // Over the wire, as a client writes the id.
    const auto send = [&](const QString& id) {
        const QString body =
            QStringLiteral("<VXNRequest command=\"SchRegister\"><ServiceName>RG</ServiceName>"
                           "<StartTime>4000000000</StartTime><Permanent>True</Permanent>"
                           "<ScheduleID>%1</ScheduleID><CommandToSend>&lt;b command=\"B\"&gt;"
                           "</CommandToSend></VXNRequest>")
                .arg(id);
        std::unique_ptr<Packet> answer =
            scheduler->dispatch(QStringLiteral("SchRegister"), body.toUtf8());
        CmdSchRegisterResponse response;
        QByteArray written;
        answer->serialize(written);
        response.parse(written);
        return std::make_pair(answer->result(), response.scheduleId);
    };
    for (const char* bad : {"abc", "1; DROP TABLE Scheduler", "0x1", "99999999999999999999",
                            "2147483648", "1.0", "1 2", "--1", "0abc"}) {
        const auto [result, id] = send(QString::fromUtf8(bad));
        EXPECT_EQ(result, SchedulerResult::InvalidRequest) << bad;
        EXPECT_EQ(id, -1) << bad;
    }
    EXPECT_EQ(peers.databaseRequests(), before);
    EXPECT_EQ(get("RG", "0")->items.at(0).commandToSend, QStringLiteral("<a command=\"Zero\">"));

    // Blank still means "assign"; a decimal id (blanks around it) replaces.
    EXPECT_EQ(send(QString()), std::make_pair(0, 1));
    EXPECT_EQ(send(QStringLiteral("  ")), std::make_pair(0, 2));
    EXPECT_EQ(send(QStringLiteral("-1")), std::make_pair(0, 3));
    EXPECT_EQ(send(QStringLiteral(" 0 ")), std::make_pair(0, 0));
    EXPECT_EQ(get("RG", "0")->items.at(0).commandToSend, QStringLiteral("<b command=\"B\">"));
}

// A time or interval that is no number would be planned as 1970 or as 1: refused instead.
TEST_F(SchedulerService, RegistrationsWithUnreadableTimesOrIntervalsAreRefused) {
    waitForLoad();
    const int before = peers.databaseRequests();
    const auto send = [&](const QString& element, const QString& text) {
        const QString body =
            QStringLiteral("<VXNRequest command=\"SchRegister\"><ServiceName>RG</ServiceName>"
                           "<IntervalType>OCCUR_DAILY</IntervalType><Permanent>True</Permanent>"
                           "<%1>%2</%1><CommandToSend>&lt;c command=\"C\"&gt;</CommandToSend>"
                           "</VXNRequest>")
                .arg(element, text);
        std::unique_ptr<Packet> answer =
            scheduler->dispatch(QStringLiteral("SchRegister"), body.toUtf8());
        return std::make_pair(answer->result(), answer->details());
    };
    for (const QString element : {"StartTime", "StopTime", "IntervalValue"}) {
        for (const QString bad : {"abc", "1.5", "1e9", "99999999999999999999", "0x10"}) {
            const auto [result, details] = send(element, bad);
            EXPECT_EQ(result, SchedulerResult::InvalidRequest)
                << element.toStdString() << bad.toStdString();
            EXPECT_EQ(details, element + " \"" + bad + "\" is not a number in range");
        }
    }
    for (const QString bad : {"-1", "4294967296"})
        EXPECT_EQ(send("StartTime", bad).first, SchedulerResult::InvalidRequest)
            << bad.toStdString();
    EXPECT_EQ(peers.databaseRequests(), before);
    EXPECT_TRUE(ids("RG").isEmpty());

    // Blank reads as before, and numbers with blanks around them are numbers.
    EXPECT_EQ(send("StartTime", "").first, 0);
    EXPECT_EQ(send("StartTime", " 4000000000 ").first, 0);
    EXPECT_EQ(send("IntervalValue", "-4").first, 0);
    EXPECT_EQ(ids("RG").size(), 3);
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
    waitForLoad(); // of the empty table, by the scheduler of SetUp
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

TEST_F(SchedulerService, RowsWhoseScheduleIdIsNoItemIdAreNotLoadedInPlaceOfItemZero) {
    // The scheduler of SetUp reads the empty table first: read later, its warnings would be
    // counted with those of the one made below.
    waitForLoad();
    ASSERT_TRUE(database->exec(
        "INSERT INTO Scheduler(ServiceName, ScheduleID, StartTime, IntervalType, IntervalValue, "
        "StopTime, CommandToSend, Tag) VALUES ('RG', 0, 1780000000, 2, 1, 0, 'real', ''), "
        "('RG', '9x', 1780000000, 2, 1, 0, 'typed', ''), "
        "('RG', -5, 1780000000, 2, 1, 0, 'negative', ''), "
        "('RG', 4294967296, 1780000000, 2, 1, 0, 'too large', '');"));
    LogCapture log;
    scheduler = makeScheduler();
    waitForLoad();
    EXPECT_TRUE(log.lines().contains(QStringLiteral("Events loaded: 1")))
        << log.lines().join('\n').toStdString();
    EXPECT_EQ(log.lines().filter(QStringLiteral("its ScheduleID is no item id: RG")).size(), 3);
    const auto items = get("RG", "all");
    ASSERT_EQ(idsOf(*items), QList<qint32>{0});
    EXPECT_EQ(items->items.at(0).commandToSend, QStringLiteral("real"));
}

TEST_F(SchedulerService, ADamagedRowTheDatabaseCannotSendKeepsOnlyItselfFromLoading) {
    registerItem("RG", -1, true, "<a command=\"First\">");
    registerItem("RG", -1, true, "<a command=\"Third\">");
    // A row written by hand, holding a character the database service's answer cannot carry.
    ASSERT_TRUE(database->exec(
        "INSERT INTO Scheduler(ServiceName, ScheduleID, StartTime, IntervalType, IntervalValue, "
        "StopTime, CommandToSend, Tag) VALUES ('Other', 4, 1780000000, 2, 1, 0, "
        "'<a command=\"X\">' || char(1), '');"));
    database->refuseValuesHolding(QStringLiteral("\x01"));
    LogCapture log;
    scheduler = makeScheduler();
    waitForLoad();
    EXPECT_TRUE(log.lines().contains(QStringLiteral("Events loaded: 2")))
        << log.lines().join('\n').toStdString();
    EXPECT_EQ(log.lines().filter(QStringLiteral("its row (GlobalID 3) cannot be read")).size(), 1)
        << log.lines().join('\n').toStdString();
    EXPECT_EQ(ids("RG"), (QList<qint32>{0, 1}));
    EXPECT_EQ(get("RG", "1")->items.at(1).commandToSend, QStringLiteral("<a command=\"Third\">"));
    // Permanent changes go on.
    EXPECT_EQ(registerItem("RG", -1, true), 2);
}

TEST_F(SchedulerService, UnreadTableRefusesPermanentChangesUntilALaterLoad) {
    registerItem("RG", -1, true, "<a command=\"Stored\">");
    registerItem("RG", -1, true, "<a command=\"Stored1\">");
    peers.failDatabase();
    scheduler = makeScheduler(0ms, 100ms);
    // Temporary items go on in memory; a list would lack the stored items and says so.
    EXPECT_EQ(registerItem("RG", -1), 0);
    const auto refused = registerResponse("RG", -1, true);
    EXPECT_EQ(refused->result(), SchedulerResult::NotStored);
    EXPECT_TRUE(refused->details().startsWith(
        QStringLiteral("The stored schedule items could not be read from the database")));
    const auto unread = get("RG", "all");
    EXPECT_EQ(unread->result(), SchedulerResult::NotStored);
    EXPECT_TRUE(unread->items.empty());

    // Once the table can be read, its rows join the items; the one whose id was given out
    // meanwhile stays in the table.
    peers.recoverDatabase();
    waitForLoad();
    const auto items = get("RG", "all");
    ASSERT_EQ(idsOf(*items), (QList<qint32>{0, 1}));
    EXPECT_FALSE(items->items.at(0).permanent);
    EXPECT_EQ(items->items.at(1).commandToSend, QStringLiteral("<a command=\"Stored1\">"));
    EXPECT_EQ(registerItem("RG", -1, true), 2);
    EXPECT_EQ(database->rows().size(), 3);
}

TEST_F(SchedulerService, EarlyCommandsWaitForTheLoad) {
    registerItem("RG", -1, true);
    registerItem("RG", -1, true);
    peers.hold();
    scheduler = makeScheduler(200ms);
    // Sent during the start-up delay and the (held) database answer: it must not be given an
    // id the table already holds.
    auto early = std::async(std::launch::async, [&] { return registerItem("RG", -1); });
    EXPECT_EQ(early.wait_for(600ms), std::future_status::timeout);
    peers.release();
    EXPECT_EQ(early.get(), 2);
    EXPECT_EQ(ids("RG"), (QList<qint32>{0, 1, 2}));
}

TEST_F(SchedulerService, AListAskedForBeforeTheLoadShowsTheStoredItems) {
    registerItem("RG", -1, true);
    registerItem("RG", -1, true);
    scheduler = makeScheduler(300ms);
    // Right after a start: the stored items with their next runs, not an empty list.
    const auto early = get(QStringLiteral("RG"), QStringLiteral("all"));
    EXPECT_EQ(early->result(), 0);
    ASSERT_EQ(idsOf(*early), (QList<qint32>{0, 1}));
    for (const auto& [id, item] : early->items)
        EXPECT_TRUE(item.nextTime) << id;
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

TEST_F(SchedulerWithSlowDatabase, OnlyTheRowBeingWrittenWaitsForTheDatabase) {
    registerItem("RG", -1, false);
    registerItem("RG", -1, true);
    const int written = peers.databaseRequests();
    peers.hold();
    auto pending = async([&] { return registerItem("RG", -1, true, "<a command=\"Slow\">"); });
    waitForStatements(written + 1);

    // Reads, temporary items, other rows and other services answer from memory meanwhile; the
    // pending item is not shown before it is stored, and its id is not given out twice.
    auto others = async([&] {
        EXPECT_EQ(ids("RG"), (QList<qint32>{0, 1}));
        EXPECT_EQ(registerItem("RG", -1), 3);
        EXPECT_EQ(registerItem("RG", 0, false, "<a command=\"Zero\">"), 0);
        EXPECT_EQ(registerItem("Other", -1), 0);
        unregister("RG", "3");
    });
    EXPECT_EQ(others.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(pending.wait_for(0s), std::future_status::timeout);

    // A second write to another row goes to the database beside the first.
    auto second = async([&] { return registerResponse("RG", 1, true, "<a command=\"One\">"); });
    waitForStatements(written + 2);
    peers.release();
    EXPECT_EQ(pending.get(), 2);
    EXPECT_EQ(second.get()->result(), 0);
    EXPECT_EQ(ids("RG"), (QList<qint32>{0, 1, 2}));
}

TEST_F(SchedulerWithSlowDatabase, ChangesOfTheSameRowKeepTheirOrder) {
    registerItem("RG", -1, true, "<a command=\"A\">");
    const int written = peers.databaseRequests();
    peers.hold();
    auto replace = async([&] { return registerItem("RG", 0, true, "<a command=\"B\">"); });
    waitForStatements(written + 1);
    auto remove = async([&] { unregister("RG", "0"); });
    // The removal waits for the replace rather than racing it to the table.
    EXPECT_EQ(remove.wait_for(300ms), std::future_status::timeout);
    EXPECT_EQ(peers.databaseRequests(), written + 1);
    peers.release();
    EXPECT_EQ(replace.get(), 0);
    remove.get();
    EXPECT_TRUE(ids("RG").isEmpty());
    EXPECT_TRUE(database->rows().isEmpty());
}

} // namespace
