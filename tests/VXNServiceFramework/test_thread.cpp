#include "VXNServiceFramework/threads/Thread.h"
#include "VXNServiceFramework/threads/ThreadGroup.h"
#include "support/CoreApplication.h"
#include "support/TestSemaphore.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

// What the test threads report, shared by all of them.
struct Journal {
    std::mutex mutex;
    std::vector<QString> entries;
    std::atomic<int> deleted{0};
    QThread* deletedOn = nullptr;

    void add(const QString& entry) {
        std::lock_guard<std::mutex> lock(mutex);
        entries.push_back(entry);
    }
    size_t count() {
        std::lock_guard<std::mutex> lock(mutex);
        return entries.size();
    }
};

class TestThread : public Thread {
public:
    enum class Behaviour { Return, Terminate, Throw, WaitForStop, Gate };

    TestThread(ThreadGroup* group, Journal& journal, QString name, Behaviour behaviour)
        : Thread(group), m_journal(journal), m_name(std::move(name)), m_behaviour(behaviour) {}

    ~TestThread() override {
        m_journal.deletedOn = QThread::currentThread();
        m_journal.deleted.fetch_add(1);
    }

    TestSemaphore gate;
    std::atomic<int> runs{0};

protected:
    void run() override {
        runs.fetch_add(1);
        m_journal.add(m_name + QStringLiteral(" ran"));
        switch (m_behaviour) {
        case Behaviour::Return:
            return;
        case Behaviour::Terminate:
            throw TerminateThreadException();
        case Behaviour::Throw:
            throw std::runtime_error("failed run");
        case Behaviour::WaitForStop:
            waitForStop(-1);
            m_journal.add(m_name + QStringLiteral(" stopped"));
            return;
        case Behaviour::Gate:
            gate.acquire();
            return;
        }
    }

private:
    Journal& m_journal;
    QString m_name;
    Behaviour m_behaviour;
};

bool processEventsUntil(const std::function<bool()>& done, int msecs = 5000) {
    const QDeadlineTimer deadline(msecs);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

class ThreadTest : public ::testing::Test {
protected:
    ThreadTest() { ensureCoreApplication(); }
    Journal journal;
};

TEST_F(ThreadTest, FinishedThreadsAreDeletedByTheGroupsEventLoop) {
    using B = TestThread::Behaviour;
    ThreadGroup group;
    for (const B behaviour : {B::Return, B::Terminate, B::Throw}) {
        auto* thread = new TestThread(&group, journal, QStringLiteral("t"), behaviour);
        thread->start();
        ASSERT_TRUE(thread->wait(5000));
    }
    // The runs are over, yet nothing is deleted until the group's thread handles its events.
    EXPECT_EQ(journal.deleted.load(), 0);
    EXPECT_EQ(group.size(), 3);
    EXPECT_TRUE(processEventsUntil([&] { return journal.deleted.load() == 3; }));
    EXPECT_EQ(journal.deletedOn, QThread::currentThread());
    EXPECT_EQ(group.size(), 0);
}

TEST_F(ThreadTest, GroupDestructionStopsWakesAndWaitsForMembersInOrder) {
    auto group = std::make_unique<ThreadGroup>();
    for (const char* name : {"first", "second", "third"}) {
        (new TestThread(group.get(), journal, QString::fromLatin1(name),
                        TestThread::Behaviour::WaitForStop))
            ->start();
    }
    auto* idle = new TestThread(group.get(), journal, QStringLiteral("never started"),
                                TestThread::Behaviour::Return);
    Q_UNUSED(idle);
    const QDeadlineTimer deadline(5000);
    while (journal.count() < 3 && !deadline.hasExpired()) {
        QThread::msleep(5);
    }
    group.reset();
    // Every member ended its wait and was reclaimed, the never-started one included.
    EXPECT_EQ(journal.deleted.load(), 4);
    const std::vector<QString> stops(journal.entries.begin() + 3, journal.entries.end());
    EXPECT_EQ(stops, (std::vector<QString>{QStringLiteral("first stopped"),
                                           QStringLiteral("second stopped"),
                                           QStringLiteral("third stopped")}));
}

TEST_F(ThreadTest, SecondStartWaitsForTheFirstRunAndTheThreadIsDeletedOnce) {
    ThreadGroup group;
    auto* thread =
        new TestThread(&group, journal, QStringLiteral("twice"), TestThread::Behaviour::Gate);
    thread->start();
    std::atomic<bool> restarted{false};
    std::thread starter([&] {
        thread->start();
        restarted = true;
    });
    QThread::msleep(100);
    EXPECT_FALSE(restarted.load()); // the first run is still going
    thread->gate.release();
    // The first run's deletion event must not delete the thread while its second run goes on.
    while (!restarted.load()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    starter.join();
    processEventsUntil([] { return false; }, 100);
    EXPECT_EQ(journal.deleted.load(), 0);
    EXPECT_EQ(thread->runs.load(), 2);
    thread->gate.release();
    EXPECT_TRUE(processEventsUntil([&] { return journal.deleted.load() == 1; }));
    EXPECT_EQ(group.size(), 0);
}

} // namespace
