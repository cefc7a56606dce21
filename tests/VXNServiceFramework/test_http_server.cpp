#include "test_http_fixture.h"

#include "VXNServiceFramework/http/HttpAnswer.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using namespace httptest;

ListenerLimits quickLimits() {
    ListenerLimits limits;
    limits.connection.readTimeoutMs = 2000; // for a whole request, sent in pieces on a busy machine
    limits.connection.closeTimeoutMs = 2000;
    return limits;
}

class HttpServerTest : public ::testing::Test {
protected:
    explicit HttpServerTest(const ListenerLimits& limits = quickLimits())
        : server(router, limits) {}

    QByteArray exchange(const QByteArray& bytes, qsizetype pieceSize = 0) {
        RawClient client(server.port());
        EXPECT_TRUE(client.connected());
        client.send(bytes, pieceSize);
        return client.readAnswer();
    }

    // True when the server has let go of every connection within `msecs`.
    bool allConnectionsClosedWithin(int msecs) {
        const QDeadlineTimer deadline(msecs);
        while (server.openConnections() > 0 && !deadline.hasExpired())
            QThread::msleep(10);
        return server.openConnections() == 0;
    }

    ScriptedRouter router;
    ServerThread server;
};

// The same server with other limits.
template <ListenerLimits (*Limits)()> class HttpServerWith : public HttpServerTest {
protected:
    HttpServerWith() : HttpServerTest(Limits()) {}
};

const QByteArray BadRequest =
    "HTTP/1.1 400 Bad request\r\nContent-Length:0\r\nConnection:close\r\n\r\n";

TEST_F(HttpServerTest, ListensOnAnAutomaticPort) {
    EXPECT_NE(server.port(), 0);
}

TEST_F(HttpServerTest, SlashesAreRemovedFromTheTarget) {
    for (const QByteArray target :
         {"RGPGenerateReport", "/RGPGenerateReport", "/RGPGenerate/Report"}) {
        const QByteArray answer = exchange(request(target, "<x/>"));
        EXPECT_EQ(answer,
                  "HTTP/1.1 200 OK\r\nContent-Length:9\r\nConnection:close\r\n\r\necho:<x/>")
            << target.constData();
    }
    const auto calls = router.calls();
    ASSERT_EQ(calls.size(), 3u);
    for (const auto& call : calls) {
        EXPECT_EQ(call.command, QStringLiteral("RGPGenerateReport"));
        EXPECT_EQ(call.body, "<x/>");
    }
}

TEST_F(HttpServerTest, HeaderNamesAreCaseSensitiveAndTrimmed) {
    struct Case {
        const char* head;
        bool served;
    };
    const Case cases[] = {
        {"GET Cmd HTTP/1.1\r\ncontent-length:3\r\n\r\n", false},
        {"GET Cmd HTTP/1.1\r\nContent-Length : 3 \r\n\r\n", true},
        {"GET Cmd HTTP/1.1\r\nX-Other: a:b\r\nContent-Length:\t3\r\n\r\n", true},
        {"GET Cmd HTTP/1.1\r\n\r\n", false},                             // no Content-Length
        {"GET Cmd HTTP/1.1\r\nContent-Length 3\r\n\r\n", false},         // no colon
        {"GARBAGE\r\nContent-Length:3\r\n\r\n", false},                  // request line
        {"GET Cmd?novalue HTTP/1.1\r\nContent-Length:3\r\n\r\n", false}, // query
    };
    for (const Case& c : cases) {
        const QByteArray answer = exchange(QByteArray(c.head) + "abc");
        if (c.served) {
            EXPECT_EQ(answerBody(answer), "echo:abc") << c.head;
        } else {
            EXPECT_EQ(answer, BadRequest) << c.head;
        }
    }
    EXPECT_EQ(router.calls().size(), 2u);
}

TEST_F(HttpServerTest, ContentLengthThatIsNotADecimalNumberIsABadRequest) {
    for (const QByteArray value : {"abc", "0x10", "", "99999999999999999999", "+3", "3 3"}) {
        const QByteArray answer =
            exchange("GET Cmd HTTP/1.1\r\nContent-Length:" + value + "\r\n\r\nabc");
        EXPECT_EQ(answer, BadRequest) << value.constData();
    }
    EXPECT_TRUE(router.calls().empty()) << "no command runs with a body it was not sent";
}

TEST_F(HttpServerTest, QueryIsParsedAndTheRequestServed) {
    const QByteArray answer = exchange(request("/Cmd?first=1&second=a+b%21", "q"));
    EXPECT_EQ(answerBody(answer), "echo:q");
    ASSERT_EQ(router.calls().size(), 1u);
    EXPECT_EQ(router.calls()[0].command, QStringLiteral("Cmd"));
}

TEST_F(HttpServerTest, BytesBeyondContentLengthAreIgnored) {
    const QByteArray answer = exchange("GET Cmd HTTP/1.1\r\nContent-Length:3\r\n\r\nabcdef");
    EXPECT_EQ(answerBody(answer), "echo:abc");
}

TEST_F(HttpServerTest, ShortBodyIsABadRequestAfterTheReadLimit) {
    QElapsedTimer timer;
    timer.start();
    const QByteArray answer = exchange("GET Cmd HTTP/1.1\r\nContent-Length:10\r\n\r\nabcd");
    EXPECT_EQ(answer, BadRequest);
    EXPECT_GE(timer.elapsed(), 1900);
    EXPECT_TRUE(router.calls().empty());
}

TEST_F(HttpServerTest, SilentPeerIsABadRequestAfterTheReadLimit) {
    EXPECT_EQ(exchange("GET Cmd HTTP/1.1\r\nContent-"), BadRequest);
}

TEST_F(HttpServerTest, BodyArrivingInPiecesIsReadWhole) {
    QByteArray body;
    for (int i = 0; i < 3000; ++i) {
        body += static_cast<char>('a' + i % 26);
    }
    // Single bytes for a shorter body: the whole request must arrive within the read limit.
    for (const qsizetype piece : {1, 7, 1000}) {
        const QByteArray sent = piece == 1 ? body.left(100) : body;
        const QByteArray answer = exchange(request("/Cmd", sent), piece);
        EXPECT_EQ(answerBody(answer), "echo:" + sent) << "pieces of " << piece;
    }
}

TEST_F(HttpServerTest, UnknownCommandGetsTheEmptyEnvelope) {
    const QString text = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-16\" standalone=\"no\" ?><VXNResponse/>");
    QByteArray utf16le;
    for (QChar c : text) {
        utf16le += static_cast<char>(c.unicode());
        utf16le += '\0';
    }
    const QByteArray answer = exchange(request("Unknown", "<VXNRequest/>"));
    EXPECT_TRUE(answer.startsWith(
        "HTTP/1.1 200 OK\r\nContent-Length:" + QByteArray::number(text.size() * 2) + "\r\n"))
        << answer.constData();
    EXPECT_EQ(answerBody(answer), utf16le);
}

TEST_F(HttpServerTest, FailingHandlerIsNotAnEmptySuccessAndServingGoesOn) {
    EXPECT_TRUE(exchange(request("Throw", "x")).startsWith("HTTP/1.1 500 "));
    EXPECT_TRUE(exchange(request("ThrowAnything", "x")).startsWith("HTTP/1.1 500 "));
    EXPECT_EQ(answerBody(exchange(request("Cmd", "y"))), "echo:y");
}

TEST_F(HttpServerTest, ManyRequestsAreServedAtOnce) {
    constexpr int Clients = 8;
    router.gated = true;
    std::vector<std::unique_ptr<RawClient>> clients;
    for (int i = 0; i < Clients; ++i) {
        clients.push_back(std::make_unique<RawClient>(server.port()));
        clients.back()->send(request("Cmd", QByteArray::number(i)));
    }
    // Every handler is running at the same time, each blocked until released.
    EXPECT_TRUE(router.entered.tryAcquire(Clients, 10000));
    EXPECT_EQ(server.activeConnections(), Clients);
    router.permits.release(Clients);
    for (int i = 0; i < Clients; ++i) {
        EXPECT_EQ(answerBody(clients[i]->readAnswer()), "echo:" + QByteArray::number(i));
    }
}

// A peer on a plain socket, which can read to the end of the stream and still stay connected.
class PosixPeer {
public:
    explicit PosixPeer(quint16 port) : m_fd(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_connected = ::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~PosixPeer() { ::close(m_fd); }

    bool connected() const { return m_connected; }
    void send(const QByteArray& bytes) {
        ASSERT_EQ(::send(m_fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL),
                  bytes.size());
    }
    // Everything up to the end of the stream; nullopt when it has not ended within `msecs`.
    std::optional<QByteArray> readToEnd(int msecs) {
        QByteArray data;
        const QDeadlineTimer deadline(msecs);
        char buffer[4096];
        for (;;) {
            pollfd entry{m_fd, POLLIN, 0};
            if (::poll(&entry, 1, int(std::max<qint64>(0, deadline.remainingTime()))) <= 0)
                return std::nullopt;
            const ssize_t got = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (got <= 0)
                return data;
            data.append(buffer, got);
        }
    }

private:
    int m_fd;
    bool m_connected = false;
};

TEST_F(HttpServerTest, APeerThatStaysAfterTheAnswerIsClosedLater) {
    PosixPeer peer(server.port());
    ASSERT_TRUE(peer.connected());
    peer.send(request("Cmd", "x"));
    ASSERT_TRUE(peer.readToEnd(10000));
    EXPECT_TRUE(allConnectionsClosedWithin(10000));
}

ListenerLimits patientLimits() {
    ListenerLimits limits = quickLimits();
    limits.connection.closeTimeoutMs = 600000;
    return limits;
}

using PatientHttpServerTest = HttpServerWith<patientLimits>;

TEST_F(PatientHttpServerTest, AnAnswerEndsTheStreamWhileThePeerMayStillClose) {
    PosixPeer peer(server.port());
    ASSERT_TRUE(peer.connected());
    peer.send(request("Cmd", "x"));
    // The answer says "Connection:close": a peer reading to the end of the stream gets the
    // answer and the end long before the server would let go of a peer that stays, and the
    // server keeps its side open for the peer to close first.
    const std::optional<QByteArray> answer = peer.readToEnd(10000);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answerBody(*answer), "echo:x");
    EXPECT_EQ(server.openConnections(), 1);
}

TEST_F(HttpServerTest, FinishedConnectionsAreReclaimed) {
    for (int i = 0; i < 5; ++i) {
        RawClient client(server.port());
        client.send(request("Cmd", "x"));
        client.readAnswer();
        client.close();
    }
    EXPECT_TRUE(allConnectionsClosedWithin(5000));
    EXPECT_EQ(server.activeConnections(), 0);
}

ListenerLimits boundedLimits() {
    ListenerLimits limits = quickLimits();
    limits.maxConnections = 2;
    limits.connection.maxHeaderBytes = 256;
    limits.connection.maxBodyBytes = 100;
    return limits;
}

using BoundedHttpServerTest = HttpServerWith<boundedLimits>;

TEST_F(BoundedHttpServerTest, OversizedHeadOrBodyIsABadRequest) {
    const QByteArray longHeader = "X-Long:" + QByteArray(300, 'x') + "\r\n";
    EXPECT_EQ(exchange("GET Cmd HTTP/1.1\r\n" + longHeader + "Content-Length:1\r\n\r\nx"),
              BadRequest);
    EXPECT_EQ(exchange("GET Cmd HTTP/1.1\r\nContent-Length:101\r\n\r\n" + QByteArray(101, 'x')),
              BadRequest);
    EXPECT_EQ(exchange("GET Cmd HTTP/1.1\r\nContent-Length:-1\r\n\r\n"), BadRequest);
    EXPECT_EQ(answerBody(exchange(request("Cmd", QByteArray(100, 'x')))),
              "echo:" + QByteArray(100, 'x'));
}

TEST_F(BoundedHttpServerTest, ConnectionsBeyondTheBoundWait) {
    router.gated = true;
    std::vector<std::unique_ptr<RawClient>> clients;
    for (int i = 0; i < 4; ++i) {
        clients.push_back(std::make_unique<RawClient>(server.port()));
        clients.back()->send(request("Cmd", QByteArray::number(i)));
    }
    EXPECT_TRUE(router.entered.tryAcquire(2, 5000));
    EXPECT_FALSE(router.entered.tryAcquire(1, 300)); // the others wait for a slot
    EXPECT_EQ(server.activeConnections(), 2);
    router.permits.release(4);
    for (auto& client : clients) {
        EXPECT_TRUE(answerBody(client->readAnswer()).startsWith("echo:"));
        client->close();
    }
    EXPECT_EQ(router.calls().size(), 4u);
}

ListenerLimits budgetLimits() {
    ListenerLimits limits = quickLimits();
    limits.connection.maxBufferedBodyBytes = 1000;
    limits.connection.freeBodyBytes = 100;
    return limits;
}

using BodyBudgetHttpServerTest = HttpServerWith<budgetLimits>;

const QByteArray Overloaded =
    "HTTP/1.1 503 Service unavailable\r\nContent-Length:0\r\nConnection:close\r\n\r\n";

TEST_F(BodyBudgetHttpServerTest, BodiesHeldAtOnceStayWithinTheBudgetAndSmallOnesAlwaysPass) {
    const QByteArray large(800, 'x');
    // Half a large body arrives and the rest is late: it holds its part meanwhile.
    RawClient slow(server.port());
    const QByteArray slowRequest = request("Cmd", large);
    slow.send(slowRequest.left(slowRequest.size() - 200));
    // A small request needs nothing of the budget; once it is answered, the server has also
    // taken what the slow peer sent before it.
    EXPECT_EQ(answerBody(exchange(request("Cmd", "small"))), "echo:small");
    EXPECT_EQ(exchange(request("Cmd", large)), Overloaded);
    slow.send(slowRequest.right(200));
    EXPECT_EQ(answerBody(slow.readAnswer()), "echo:" + large);
    EXPECT_EQ(answerBody(exchange(request("Cmd", large))), "echo:" + large);

    // A body still counts while its request is routed.
    router.gated = true;
    RawClient routed(server.port());
    routed.send(request("Cmd", large));
    ASSERT_TRUE(router.entered.tryAcquire(1, 5000));
    EXPECT_EQ(exchange(request("Cmd", large)), Overloaded);
    router.permits.release(2); // the held request and the next one
    EXPECT_EQ(answerBody(routed.readAnswer()), "echo:" + large);
    EXPECT_EQ(answerBody(exchange(request("Cmd", large))), "echo:" + large);
}

} // namespace
