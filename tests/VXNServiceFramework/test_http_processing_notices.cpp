#include "test_http_fixture.h"

#include "VXNServiceFramework/http/HttpClient.h"
#include "VXNServiceFramework/http/ProcessingNotices.h"

#include <future>
#include <gtest/gtest.h>

namespace {

using namespace httptest;

constexpr int clientReadLimitMs = 300;

ListenerLimits noticeEvery(int msecs) {
    ListenerLimits limits;
    limits.connection.processingNoticeMs = msecs;
    return limits;
}

HttpClientLimits shortReadLimit() {
    HttpClientLimits limits;
    limits.readTimeoutMs = clientReadLimitMs;
    return limits;
}

// A handler held at its gate for several of the client's read limits, then let go.
class SlowAnswer {
public:
    explicit SlowAnswer(const ListenerLimits& limits) : m_server(m_router, limits) {
        m_router.gated = true;
    }

    // Sends "Cmd" with `body` from another thread; the handler answers after `heldMs`.
    std::future<QByteArray> send(const QByteArray& body, int heldMs) {
        auto answer = std::async(std::launch::async, [this, body] {
            return HttpClient(shortReadLimit())
                .send(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(m_server.port())),
                      QStringLiteral("Cmd"), body, true);
        });
        EXPECT_TRUE(m_router.entered.tryAcquire(1, 10000));
        std::this_thread::sleep_for(std::chrono::milliseconds(heldMs));
        m_router.permits.release();
        return answer;
    }

    quint16 port() const { return m_server.port(); }
    ScriptedRouter& router() { return m_router; }

private:
    ScriptedRouter m_router;
    ServerThread m_server;
};

TEST(ProcessingNotices, KeepAClientWaitingPastItsReadLimit) {
    SlowAnswer server(noticeEvery(50));
    auto answer = server.send("slow", 4 * clientReadLimitMs);
    EXPECT_EQ(answer.get(), "echo:slow");
}

TEST(ProcessingNotices, WithoutThemTheClientGivesUp) {
    SlowAnswer server(noticeEvery(0));
    auto answer = server.send("slow", 4 * clientReadLimitMs);
    EXPECT_THROW(answer.get(), CommunicationError);
}

TEST(ProcessingNotices, PrecedeTheUnchangedAnswerOnlyWhenItTakesLong) {
    SlowAnswer server(noticeEvery(50));
    server.router().gated = false;
    RawClient quick(server.port());
    quick.send(request("Cmd", "x"));
    EXPECT_EQ(quick.readAnswer(),
              "HTTP/1.1 200 OK\r\nContent-Length:6\r\nConnection:close\r\n\r\necho:x");

    server.router().gated = true;
    RawClient slow(server.port());
    slow.send(request("Cmd", "y"));
    ASSERT_TRUE(server.router().entered.tryAcquire(1, 10000));
    QByteArray received;
    const QByteArray twoNotices = ProcessingNotices::notice() + ProcessingNotices::notice();
    while (received.size() < twoNotices.size()) {
        const QByteArray more = slow.readAnswer(2000);
        ASSERT_FALSE(more.isEmpty());
        received += more;
    }
    server.router().permits.release();
    const QByteArray finalAnswer =
        "HTTP/1.1 200 OK\r\nContent-Length:6\r\nConnection:close\r\n\r\necho:y";
    while (!received.endsWith(finalAnswer)) {
        const QByteArray more = slow.readAnswer(2000);
        ASSERT_FALSE(more.isEmpty()) << received.constData();
        received += more;
    }
    // Whole notices only, then the answer as a quick request gets it.
    const QByteArray notices = received.left(received.size() - finalAnswer.size());
    ASSERT_EQ(notices.size() % ProcessingNotices::notice().size(), 0);
    EXPECT_EQ(notices, ProcessingNotices::notice().repeated(notices.size() /
                                                            ProcessingNotices::notice().size()));
}

TEST(ProcessingNotices, ConcurrentSlowRequestsEachGetTheirOwnAnswer) {
    SlowAnswer server(noticeEvery(30));
    // Handlers that take longer than the client's read limit, four at once.
    std::vector<std::future<QByteArray>> answers;
    for (int i = 0; i < 4; ++i) {
        answers.push_back(std::async(std::launch::async, [&server, i] {
            return HttpClient(shortReadLimit())
                .send(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(server.port())),
                      QStringLiteral("Cmd"), QByteArray::number(i), true);
        }));
    }
    ASSERT_TRUE(server.router().entered.tryAcquire(4, 10000));
    for (int i = 0; i < 4; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(clientReadLimitMs));
        server.router().permits.release();
    }
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(answers[i].get(), "echo:" + QByteArray::number(i));
    }
}

} // namespace
