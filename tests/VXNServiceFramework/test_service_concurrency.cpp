#include "VXNServiceFramework/dispatch/Service.h"
#include "VXNServiceFramework/packets/RequestPacket.h"
#include "VXNServiceFramework/packets/ResponsePacket.h"

#include <atomic>
#include <gtest/gtest.h>
#include <latch>
#include <semaphore>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

// A handler that counts, signals when it starts and waits until the test lets it finish.
class GateHandler : public CommandHandler, public std::enable_shared_from_this<GateHandler> {
public:
    explicit GateHandler(int expected) : started(expected) {}

    std::unique_ptr<Packet> handle(Packet&) override { return run(); }
    std::unique_ptr<Packet> handle(const QByteArray&) override { return run(); }

    std::latch started;
    std::counting_semaphore<64> release{0};
    std::atomic<int> running{0};
    std::atomic<int> finished{0};
    std::atomic<long> maxUseCount{0};

private:
    std::unique_ptr<Packet> run() {
        ++running;
        started.count_down();
        started.wait(); // every expected dispatch is inside now
        long uses = weak_from_this().use_count();
        for (long seen = maxUseCount;
             seen < uses && !maxUseCount.compare_exchange_weak(seen, uses);)
            ;
        release.acquire();
        --running;
        ++finished;
        return std::make_unique<ResponsePacket>(0);
    }
};

class GatedService : public Service {
public:
    explicit GatedService(std::shared_ptr<CommandHandler> handler) {
        addHandler(QStringLiteral("Gate"), std::move(handler));
        setDrainPollInterval(2ms);
    }
};

} // namespace

TEST(ServiceConcurrency, EveryRunningDispatchHoldsTheHandler) {
    constexpr int kDispatches = 4;
    auto handler = std::make_shared<GateHandler>(kDispatches);
    GatedService service(handler);
    std::vector<std::jthread> threads;
    for (int i = 0; i < kDispatches; ++i)
        threads.emplace_back([&] { service.dispatch(QStringLiteral("Gate"), {}); });
    handler->started.wait();
    handler->release.release(kDispatches);
    threads.clear();
    // The test's own pointer, the table's, and one copy per running dispatch.
    EXPECT_EQ(handler->maxUseCount, 2 + kDispatches);
    EXPECT_EQ(handler.use_count(), 2) << "copies are dropped when the dispatch ends";
}

TEST(ServiceConcurrency, DrainWaitsForRunningHandlersAndRefusesNewRequests) {
    constexpr int kRunning = 3;
    auto handler = std::make_shared<GateHandler>(kRunning);
    GatedService service(handler);

    std::vector<std::jthread> dispatchers;
    std::atomic<int> answeredOk{0};
    for (int i = 0; i < kRunning; ++i)
        dispatchers.emplace_back([&] {
            RequestPacket request(QStringLiteral("Gate"));
            if (service.dispatch(request)->result() == 0)
                ++answeredOk;
        });
    handler->started.wait();

    std::atomic<bool> drained{false};
    std::atomic<int> finishedWhenDrained{-1};
    std::jthread drainer([&] {
        service.pauseAndDrain();
        finishedWhenDrained = handler->finished.load();
        drained = true;
    });
    while (!service.isPaused())
        std::this_thread::yield();

    // New requests answer at once while the running ones still hold the drain.
    for (const auto& response : {service.dispatch(QStringLiteral("Gate"), {}),
                                 service.dispatch(QStringLiteral("None"), {})}) {
        EXPECT_EQ(response->result(), 5);
        EXPECT_EQ(response->details(), QStringLiteral("Service paused"));
    }
    RequestPacket inProcess(QStringLiteral("Gate"));
    EXPECT_EQ(service.dispatch(inProcess)->result(), 5);
    EXPECT_FALSE(drained);
    EXPECT_EQ(handler->running, kRunning);

    handler->release.release(kRunning);
    drainer.join();
    EXPECT_TRUE(drained);
    EXPECT_EQ(finishedWhenDrained, kRunning) << "drain returned before a handler finished";
    dispatchers.clear();
    EXPECT_EQ(answeredOk, kRunning);

    // Pausing is final: nothing runs afterwards.
    EXPECT_EQ(service.dispatch(QStringLiteral("Gate"), {})->result(), 5);
    EXPECT_EQ(handler->finished, kRunning);
    EXPECT_TRUE(service.isPaused());
}

TEST(ServiceConcurrency, DrainOfAnIdleServiceReturnsAtOnce) {
    GatedService service(std::make_shared<GateHandler>(1));
    service.setDrainPollInterval(1h); // would hang if an idle drain slept
    service.pauseAndDrain();
    EXPECT_TRUE(service.isPaused());
}
