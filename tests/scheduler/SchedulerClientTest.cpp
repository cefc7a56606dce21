// The scheduler over the process's real service client: statements reach a database service
// and fired commands reach their target service, both in this process.
#include "QtPrinters.h"
#include "SchedulerTestSupport.h"

#include "scheduler/SchedulerResults.h"
#include "scheduler/VELMScheduler.h"

#include "VXNServiceFramework/client/ServiceClient.h"
#include "VXNServiceFramework/dispatch/LocalDispatcher.h"
#include "peers/CmdDBSProcessQueryRequest.h"
#include "peers/CmdDBSProcessQueryResponse.h"

#include <gtest/gtest.h>

#include <QThread>
#include <condition_variable>
#include <mutex>

using namespace std::chrono_literals;

namespace {

// "DBSProcessQuery" served in this process, answered by the scripted peers.
class ScriptedDatabaseService : public Service {
public:
    explicit ScriptedDatabaseService(ScriptedSchedulerPeers& peers) : m_peers(peers) {
        addHandler(CmdDBSProcessQueryRequest::commandName, this, &ScriptedDatabaseService::query);
    }

    std::unique_ptr<CmdDBSProcessQueryResponse> query(CmdDBSProcessQueryRequest& request) {
        return m_peers.call<CmdDBSProcessQueryResponse>(request);
    }

private:
    ScriptedSchedulerPeers& m_peers;
};

class TargetRequest : public RequestPacket {
public:
    void parse(const QByteArray& body) override {
        RequestPacket::parse(body);
        value = elementText(QStringLiteral("Value"));
    }
    QString value;
};

// "TGTFire" records its value; "TGTSlow" does too, but only answers when released.
class ScriptedTargetService : public Service {
public:
    ScriptedTargetService() {
        addHandler(QStringLiteral("TGTFire"), this, &ScriptedTargetService::fire);
        addHandler(QStringLiteral("TGTSlow"), this, &ScriptedTargetService::slow);
    }

    std::unique_ptr<ResponsePacket> fire(TargetRequest& request) {
        std::lock_guard lock(m_mutex);
        m_values.append(request.value);
        m_changed.notify_all();
        return std::make_unique<ResponsePacket>();
    }

    std::unique_ptr<ResponsePacket> slow(TargetRequest& request) {
        fire(request);
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_released; });
        return std::make_unique<ResponsePacket>();
    }

    bool waitFor(const QString& value, std::chrono::milliseconds timeout) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] { return m_values.contains(value); });
    }

    void release() {
        std::lock_guard lock(m_mutex);
        m_released = true;
        m_changed.notify_all();
    }

    QStringList values() {
        std::lock_guard lock(m_mutex);
        return m_values;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    QStringList m_values;
    bool m_released = false;
};

// The services of the test "process"; they change while the scheduler's threads dispatch.
class Dispatcher : public LocalDispatcher {
public:
    std::unique_ptr<Packet> dispatchLocal(Packet& request) override {
        std::vector<Service*> current;
        {
            std::lock_guard lock(m_mutex);
            current = m_services;
        }
        for (Service* service : current) {
            std::unique_ptr<Packet> response = service->dispatch(request);
            if (response->result() != 2) // 2: not a command of that service
                return response;
        }
        return nullptr;
    }
    void add(Service* service) {
        std::lock_guard lock(m_mutex);
        m_services.push_back(service);
    }
    void remove(Service* service) {
        std::lock_guard lock(m_mutex);
        std::erase(m_services, service);
    }

private:
    std::mutex m_mutex;
    std::vector<Service*> m_services;
};

class SchedulerOverServiceClient : public testing::Test {
protected:
    void SetUp() override {
        dispatcher.add(&databaseService);
        dispatcher.add(&target);
        ServiceClient::instance().setLocalDispatcher(&dispatcher);
    }
    void TearDown() override {
        if (scheduler)
            dispatcher.remove(scheduler.get());
        scheduler.reset();
        target.release();
        ServiceClient::instance().setLocalDispatcher(nullptr);
    }

    // A fresh scheduler, reachable through the service client.
    void startScheduler() {
        if (scheduler)
            dispatcher.remove(scheduler.get());
        scheduler.reset();
        scheduler =
            std::make_unique<VELMScheduler>(ServiceClient::instance(), SchedulerTimings{0ms});
        dispatcher.add(scheduler.get());
    }

    std::unique_ptr<CmdSchRegisterResponse>
    registerResponse(const QDateTime& start, const QString& command, bool permanent) {
        CmdSchRegisterRequest request;
        request.serviceName = QStringLiteral("RG");
        request.item.startTime = start;
        request.item.intervalType = OccurOnce;
        request.item.permanent = permanent;
        request.item.commandToSend = command;
        return ServiceClient::instance().sendCommand<CmdSchRegisterResponse>(request, true);
    }

    qint32 registerItem(const QDateTime& start, const QString& command, bool permanent = false) {
        return registerResponse(start, command, permanent)->scheduleId;
    }

    static QString targetCommand(const char* command, const char* value) {
        return QStringLiteral("<VXNRequest command=\"%1\"><Value>%2</Value></VXNRequest>")
            .arg(QLatin1String(command), QLatin1String(value));
    }

    SqliteScheduleDatabase database;
    RecordingSender firedElsewhere; // fired commands go through the service client here
    ScriptedSchedulerPeers peers{database, firedElsewhere};
    ScriptedDatabaseService databaseService{peers};
    ScriptedTargetService target;
    Dispatcher dispatcher;
    std::unique_ptr<VELMScheduler> scheduler;
};

TEST_F(SchedulerOverServiceClient, StoresAndLoadsThroughTheDatabaseService) {
    startScheduler();
    const QDateTime later = localFromSeconds(QDateTime::currentSecsSinceEpoch() + 3600);
    EXPECT_EQ(registerItem(later, targetCommand("TGTFire", "it's \"x\""), true), 0);
    EXPECT_EQ(database.rows().size(), 1);

    startScheduler();
    ASSERT_TRUE(eventually([&] { return scheduler->store().isLoaded(); }, 5s));
    CmdSchGetEventsInfoRequest get;
    get.serviceName = QStringLiteral("RG");
    get.selection.all = true;
    const auto items =
        ServiceClient::instance().sendCommand<CmdSchGetEventsInfoResponse>(get, true);
    ASSERT_EQ(items->result(), 0);
    ASSERT_EQ(items->items.size(), 1u);
    EXPECT_EQ(items->items.at(0).commandToSend, targetCommand("TGTFire", "it's \"x\""));
    EXPECT_TRUE(items->items.at(0).permanent);
}

TEST_F(SchedulerOverServiceClient, FailingDatabaseAnswersNotStored) {
    startScheduler();
    ASSERT_TRUE(eventually([&] { return scheduler->store().isLoaded(); }, 5s));
    peers.failDatabase();
    const QDateTime later = localFromSeconds(QDateTime::currentSecsSinceEpoch() + 3600);
    const auto response = registerResponse(later, targetCommand("TGTFire", "a"), true);
    EXPECT_EQ(response->result(), SchedulerResult::NotStored);
    EXPECT_EQ(response->details(),
              QStringLiteral("Schedule item not saved in the database: scripted failure"));
    EXPECT_EQ(registerItem(later, targetCommand("TGTFire", "b")), 0);
}

TEST_F(SchedulerOverServiceClient, FiredCommandsReachTheirTargetWithoutWaitingForIt) {
    startScheduler();
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    registerItem(localFromSeconds(now + 1), targetCommand("TGTSlow", "first"));
    registerItem(localFromSeconds(now + 2), targetCommand("TGTFire", "second"));
    ASSERT_TRUE(target.waitFor(QStringLiteral("first"), 10s));
    // The first target has not answered yet, and the second command arrives all the same.
    ASSERT_TRUE(target.waitFor(QStringLiteral("second"), 10s));
    QStringList values = target.values();
    values.sort();
    EXPECT_EQ(values, (QStringList{"first", "second"}));
}

} // namespace
