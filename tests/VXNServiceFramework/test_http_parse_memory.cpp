#include "test_http_fixture.h"

#include "VXNServiceFramework/dispatch/Service.h"
#include "VXNServiceFramework/packets/BoundedMemoryManager.h"
#include "VXNServiceFramework/packets/RequestPacket.h"
#include "VXNServiceFramework/packets/ResponsePacket.h"
#include "VXNServiceFramework/packets/ResultCodes.h"
#include "VXNServiceFramework/packets/WrongPacketFormat.h"

#include <QFile>
#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace httptest;

constexpr std::size_t MiB = 1024 * 1024;

class CountRequest : public RequestPacket {
public:
    CountRequest() : RequestPacket(QStringLiteral("Count")) {}
    void parse(const QByteArray& body) override {
        RequestPacket::parse(body);
        StringPairs pairs;
        childPairs(rootElement(), pairs);
        children = pairs.size();
    }
    qsizetype children = 0;
};

// Answers how many elements the request held.
class CountingService : public Service {
public:
    CountingService() { addHandler(QStringLiteral("Count"), this, &CountingService::count); }
    std::unique_ptr<ResponsePacket> count(CountRequest& request) {
        return std::make_unique<ResponsePacket>(ResultCode::Ok, QString::number(request.children));
    }
};

class ServiceRouter : public RequestRouter {
public:
    explicit ServiceRouter(Service& service) : m_service(service) {}
    std::unique_ptr<Packet> route(const QString& command, const QByteArray& body) override {
        return m_service.dispatch(command, body);
    }

private:
    Service& m_service;
};

QByteArray manyElements(int count) {
    QByteArray body = "<VXNRequest command=\"Count\">";
    for (int i = 0; i < count; ++i) {
        body += "<a/>";
    }
    return body + "</VXNRequest>";
}

class SharedLimit {
public:
    explicit SharedLimit(std::size_t limit)
        : m_budget(PacketDOM::sharedParseMemory()), m_before(m_budget.limit()) {
        m_budget.setLimit(limit);
    }
    ~SharedLimit() { m_budget.setLimit(m_before); }

private:
    SharedMemoryBudget& m_budget;
    std::size_t m_before;
};

std::unique_ptr<ResponsePacket> responseOf(const QByteArray& answer) {
    auto response = std::make_unique<ResponsePacket>();
    response->parse(answerBody(answer));
    return response;
}

TEST(HttpParseMemory, ABodyOverTheSharedParseMemoryAnswersWrongRequestFormat) {
    CountingService service;
    ServiceRouter router(service);
    ServerThread server(router, ListenerLimits{});
    const QByteArray body = manyElements(100000);
    const auto exchange = [&] {
        RawClient client(server.port());
        client.send(request("Count", body));
        return client.readAnswer();
    };

    QByteArray refused;
    {
        const SharedLimit small(4 * MiB);
        refused = exchange();
    }
    EXPECT_EQ(PacketDOM::sharedParseMemory().used(), 0u) << "a refused parse gives it all back";
    const auto response = responseOf(refused);
    EXPECT_EQ(response->result(), ResultCode::WrongRequestFormat);
    EXPECT_TRUE(response->details().startsWith(QStringLiteral("Wrong request format: ")));
    EXPECT_TRUE(response->details().contains(QStringLiteral("memory")))
        << response->details().toStdString();

    // Within the usual budget the same body is read whole.
    const auto served = responseOf(exchange());
    EXPECT_EQ(served->result(), ResultCode::Ok);
    EXPECT_EQ(served->details(), QStringLiteral("100000"));
}

TEST(HttpParseMemory, ParsesAtOnceStayWithinTheSharedBudgetAndReturnAllOfIt) {
    const QByteArray body = manyElements(20000);
    std::size_t oneParse = 0;
    {
        CountRequest probe;
        probe.parse(body);
        oneParse = PacketDOM::sharedParseMemory().used();
        ASSERT_GT(oneParse, 0u);
    }
    // Room for about three such documents at a time, eight threads asking.
    const SharedLimit limit(3 * oneParse + oneParse / 2);
    std::atomic<int> read{0};
    std::atomic<int> refused{0};
    std::atomic<std::size_t> peak{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 5; ++i) {
                CountRequest request;
                try {
                    request.parse(body);
                    EXPECT_EQ(request.children, 20000);
                    ++read;
                } catch (const WrongPacketFormat&) {
                    ++refused;
                }
                std::size_t seen = PacketDOM::sharedParseMemory().used();
                std::size_t high = peak.load();
                while (seen > high && !peak.compare_exchange_weak(high, seen)) {
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(read + refused, 40);
    EXPECT_GT(read, 0);
    EXPECT_LE(peak.load(), PacketDOM::sharedParseMemory().limit());
    EXPECT_EQ(PacketDOM::sharedParseMemory().used(), 0u);
}

} // namespace

// Whatever step of the parse the memory runs out at (the parser's own setup, its reader, the
// document), the parse fails cleanly, gives every byte back and leaves nothing allocated behind.
TEST(HttpParseMemory, RunningOutAtAnyStepOfTheParseLeavesNothingBehind) {
    const QByteArray body = manyElements(200);
    int refused = 0;
    for (std::size_t limit = 0; limit <= 400 * 1024; limit += 1024) {
        const SharedLimit shared(limit);
        {
            CountRequest request;
            try {
                request.parse(body);
                EXPECT_EQ(request.children, 200);
            } catch (const WrongPacketFormat&) {
                ++refused;
            }
        }
        ASSERT_EQ(PacketDOM::sharedParseMemory().used(), 0u) << "at a limit of " << limit;
    }
    EXPECT_GT(refused, 10);
    EXPECT_LT(refused, 400); // the larger limits are enough
}

#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// Resident size of this process in KiB.
long residentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// A flood of large bodies must not leave the service at its peak size once they are gone.
TEST(HttpParseMemory, AFloodOfLargeBodiesGivesItsPagesBackWhenItIsOver) {
    CountingService service;
    ServiceRouter router(service);
    ServerThread server(router, ListenerLimits{});
    const QByteArray body = manyElements(1000000);
    const SharedLimit shared(200 * MiB); // some are refused, as in a real flood
    const long before = residentKiB();
    // The size is watched while the parses run: looked at only after each answer, it can
    // miss a peak the server has already given back.
    std::atomic<long> peak{before};
    std::atomic<bool> flooding{true};
    std::thread watcher([&] {
        while (flooding.load()) {
            peak.store(std::max(peak.load(), residentKiB()));
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    std::vector<std::thread> clients;
    for (int c = 0; c < 4; ++c)
        clients.emplace_back([&] {
            RawClient client(server.port());
            client.send(request("Count", body));
            const auto response = responseOf(client.readAnswer());
            EXPECT_TRUE(response->result() == ResultCode::Ok ||
                        response->result() == ResultCode::WrongRequestFormat);
        });
    for (std::thread& client : clients)
        client.join();
    flooding = false;
    watcher.join();
    const long after = residentKiB();
    ASSERT_GT(peak.load() - before, 64 * 1024) << "the parses are expected to need more";
    EXPECT_LT(after - before, (peak.load() - before) / 2)
        << before << " " << peak.load() << " " << after;
}
#endif
