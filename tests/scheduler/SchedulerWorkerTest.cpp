#include "QtPrinters.h"
#include "SchedulerTestSupport.h"

#include "scheduler/CVELMSchThread.h"
#include "scheduler/VELMScheduler.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

#include <QThread>
#include <atomic>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

QDateTime wholeSecondsFromNow(int seconds) {
    return localFromSeconds(QDateTime::currentSecsSinceEpoch() + seconds);
}

class SchedulerWorker : public testing::Test {
protected:
    void SetUp() override {
        scheduler = std::make_unique<VELMScheduler>(peers, SchedulerTimings{0ms});
    }

    qint32 registerItem(const QDateTime& start, int type, const QString& command,
                        const QString& service = QStringLiteral("RG"),
                        std::optional<QDateTime> stop = std::nullopt) {
        CmdSchRegisterRequest request;
        request.serviceName = service;
        request.item.startTime = start;
        request.item.stopTime = stop;
        request.item.intervalType = type;
        request.item.commandToSend = command;
        return scheduler->registerItem(request)->scheduleId;
    }

    ScheduleItem item(qint32 id, const QString& service = QStringLiteral("RG")) {
        CmdSchGetEventsInfoRequest request;
        request.serviceName = service;
        request.selection.ids = {id};
        const auto response = scheduler->getEventsInfo(request);
        EXPECT_EQ(response->result(), 0);
        return response->items.count(id) ? response->items.at(id) : ScheduleItem{};
    }

    int sentCount(const QString& command) const {
        int count = 0;
        for (const auto& sent : sender->sent())
            count += sent.command == command;
        return count;
    }

    std::shared_ptr<SqliteScheduleDatabase> database = std::make_shared<SqliteScheduleDatabase>();
    std::shared_ptr<RecordingSender> sender = std::make_shared<RecordingSender>();
    ScriptedSchedulerPeers peers{*database, *sender};
    std::unique_ptr<VELMScheduler> scheduler;
};

const QString kDaily = QStringLiteral("<VXNRequest command=\"RGPDaily\"><A/></VXNRequest>");
const QString kOnce = QStringLiteral("<VXNRequest command=\"RGPOnce\"></VXNRequest>");

TEST_F(SchedulerWorker, ItemFiresOnceInItsWindowAndGetsItsNextTime) {
    const QDateTime start = wholeSecondsFromNow(2);
    const qint32 id = registerItem(start, OccurDaily, kDaily);
    ASSERT_TRUE(sender->waitForCount(1, 10s));
    const auto sent = sender->sent().first();
    EXPECT_EQ(sent.command, QStringLiteral("RGPDaily"));
    EXPECT_EQ(sent.text, kDaily);
    EXPECT_GE(sent.at, start) << "never before its time";
    EXPECT_LT(start.secsTo(sent.at), CVELMSchThread::firingWindowSeconds);
    ASSERT_TRUE(eventually([&] { return item(id).nextTime == start.addDays(1); }, 5s));
    QThread::sleep(2);
    EXPECT_EQ(sender->sent().size(), 1);
}

TEST_F(SchedulerWorker, SingleRunFiresOnceAndStays) {
    const QDateTime start = wholeSecondsFromNow(2);
    const qint32 id = registerItem(start, OccurOnce, kOnce);
    ASSERT_TRUE(sender->waitForCount(1, 10s));
    ASSERT_TRUE(eventually([&] { return !item(id).nextTime; }, 5s));
    QThread::sleep(3);
    EXPECT_EQ(sentCount(QStringLiteral("RGPOnce")), 1);
    EXPECT_EQ(item(id).commandToSend, kOnce);
}

TEST_F(SchedulerWorker, AWakeShortlyBeforeAnItemsTimeDoesNotFireItEarly) {
    // A registration wakes the worker 2 s before the first item is due: it waits for the
    // item's time (a weekly report planned for 00:00 must not see the day before), then fires
    // it once.
    const QDateTime start = wholeSecondsFromNow(4);
    registerItem(start, OccurOnce, kOnce);
    ASSERT_TRUE(eventually([&] { return QDateTime::currentDateTime().secsTo(start) <= 2; }, 5s));
    registerItem(wholeSecondsFromNow(3600), OccurOnce, kDaily);
    QThread::msleep(500);
    EXPECT_EQ(sentCount(QStringLiteral("RGPOnce")), 0);
    ASSERT_TRUE(sender->waitForCount(1, 10s));
    EXPECT_GE(sender->sent().first().at, start);
    registerItem(wholeSecondsFromNow(7200), OccurOnce, kDaily);
    QThread::sleep(3);
    EXPECT_EQ(sentCount(QStringLiteral("RGPOnce")), 1);
}

TEST_F(SchedulerWorker, TextsWithoutAUsableCommandNameAreNotSent) {
    const QDateTime start = wholeSecondsFromNow(2);
    const qint32 atZero = registerItem(start, OccurOnce, QStringLiteral("command=\"RGPBad\">"));
    registerItem(start, OccurOnce, QStringLiteral("<VXNRequest>no name</VXNRequest>"));
    registerItem(start, OccurOnce, kOnce, QStringLiteral("Zeta"));
    ASSERT_TRUE(sender->waitForCount(1, 10s));
    QThread::msleep(500);
    ASSERT_EQ(sender->sent().size(), 1);
    EXPECT_EQ(sender->sent().first().command, QStringLiteral("RGPOnce"));
    // It counted as fired all the same.
    EXPECT_FALSE(item(atZero).nextTime);
}

TEST_F(SchedulerWorker, EndedItemsNeverRun) {
    const QDateTime start = wholeSecondsFromNow(1);
    const qint32 id =
        registerItem(start, OccurHourly, kDaily, QStringLiteral("RG"), start.addDays(1));
    registerItem(start, OccurOnce, kOnce);
    ASSERT_TRUE(sender->waitForCount(1, 10s));
    QThread::msleep(500);
    EXPECT_EQ(sentCount(QStringLiteral("RGPDaily")), 0);
    EXPECT_FALSE(item(id).nextTime);
}

TEST_F(SchedulerWorker, MissedTimeMovesOnToTheNextRun) {
    // The worker is held up before its wait (as by a clock jump or an overloaded machine) until
    // the daily item's planned time has passed by more than the window. Short waits, so that
    // the pass after the hold comes at once; seconds of slack for sanitizer builds.
    scheduler = std::make_unique<VELMScheduler>(peers, SchedulerTimings{0ms, 60s, 1s});
    const QDateTime start = wholeSecondsFromNow(8);
    std::atomic<bool> armed{true};
    LogCapture holdBeforeWait([&](const QString& line) {
        if (line.startsWith(QLatin1String("Next time: ")) && armed.exchange(false)) {
            while (QDateTime::currentDateTime() <= start.addSecs(6))
                QThread::msleep(20);
        }
    });
    const qint32 id = registerItem(start, OccurDaily, kDaily);
    EXPECT_TRUE(eventually([&] { return item(id).nextTime == start.addDays(1); }, 25s));
    EXPECT_EQ(sentCount(QStringLiteral("RGPDaily")), 0);
}

TEST_F(SchedulerWorker, WakeDuringAPassIsNotLost) {
    // Far-off items: a lost wake would leave an item without a next time until the five-minute
    // check. The worker is held up between its pass and its wait, where a registration that
    // wakes it finds it not yet waiting.
    LogCapture holdBeforeWait([](const QString& line) {
        if (line.startsWith(QLatin1String("Next time: ")))
            QThread::msleep(20);
    });
    const QDateTime start = wholeSecondsFromNow(86400);
    constexpr int threads = 8;
    constexpr int perThread = 50;
    std::vector<std::thread> registrars;
    for (int t = 0; t < threads; ++t) {
        registrars.emplace_back([&, t] {
            for (int i = 0; i < perThread; ++i)
                registerItem(start.addSecs(i), OccurDaily, kDaily, QStringLiteral("S%1").arg(t));
        });
    }
    for (auto& registrar : registrars)
        registrar.join();
    const auto allPlanned = [&] {
        for (int t = 0; t < threads; ++t) {
            CmdSchGetEventsInfoRequest request;
            request.serviceName = QStringLiteral("S%1").arg(t);
            request.selection.all = true;
            const auto response = scheduler->getEventsInfo(request);
            if (response->items.size() != perThread)
                return false;
            for (const auto& [id, item] : response->items) {
                if (item.nextTime != item.startTime)
                    return false;
            }
        }
        return true;
    };
    EXPECT_TRUE(eventually(allPlanned, 10s));
    EXPECT_TRUE(sender->sent().isEmpty());
}

TEST_F(SchedulerWorker, IdleWorkerWaitsWithoutLimitAndWakesForTheFirstItem) {
    LogCapture log;
    ASSERT_TRUE(eventually(
        [&] { return log.lines().contains(QStringLiteral("Next schedule check: infinitive.")); },
        5s));
    // A fresh worker over an empty store: the item's pass logs its planned time.
    const QDateTime start = wholeSecondsFromNow(100);
    const qint32 id = registerItem(start, OccurDaily, kDaily);
    ASSERT_TRUE(eventually([&] { return item(id).nextTime == start; }, 5s));
    EXPECT_TRUE(eventually(
        [&] {
            const QStringList lines = log.lines();
            return lines.contains(QStringLiteral("Next time: ") + start.toString()) &&
                   std::any_of(lines.begin(), lines.end(), [](const QString& line) {
                       // To the millisecond, up to the item's time.
                       static const QRegularExpression wait(
                           QStringLiteral("^Next schedule check: (\\d+) ms\\.$"));
                       const auto match = wait.match(line);
                       const int ms = match.hasMatch() ? match.captured(1).toInt() : -1;
                       return ms > 95000 && ms <= 100000;
                   });
        },
        5s));
}

} // namespace
