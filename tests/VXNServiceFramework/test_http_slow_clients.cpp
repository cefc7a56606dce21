#include "test_http_fixture.h"

#include <QElapsedTimer>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace httptest;

// Plain descriptors: a thousand QTcpSockets would tax the test more than the server.
class RawSockets {
public:
    ~RawSockets() {
        for (const int fd : fds) {
            ::close(fd);
        }
    }

    bool connectMore(quint16 port, int count) {
        for (int i = 0; i < count; ++i) {
            const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_port = htons(port);
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            if (fd < 0 ||
                ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
                if (fd >= 0) {
                    ::close(fd);
                }
                return false;
            }
            fds.push_back(fd);
        }
        return true;
    }

    void sendToEach(const QByteArray& bytes) {
        for (const int fd : fds) {
            ::send(fd, bytes.constData(), static_cast<size_t>(bytes.size()),
                   MSG_NOSIGNAL | MSG_DONTWAIT);
        }
    }

    // How many have received bytes starting with `prefix` (read without waiting).
    int countAnswered(const QByteArray& prefix) {
        int answered = 0;
        for (const int fd : fds) {
            char buffer[256];
            const ssize_t got = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (got > 0 && QByteArray(buffer, static_cast<qsizetype>(got)).startsWith(prefix)) {
                ++answered;
            }
        }
        return answered;
    }

    std::vector<int> fds;
};

constexpr int RequestDeadlineMs = 4000;

ListenerLimits deadlineLimits() {
    ListenerLimits limits; // 512 requests served at once, as in production
    limits.connection.readTimeoutMs = RequestDeadlineMs;
    limits.connection.closeTimeoutMs = RequestDeadlineMs;
    return limits;
}

// Ordinary requests, one after another; how many were answered, each within the deadline.
int answeredPromptly(quint16 port, int requests) {
    int answered = 0;
    for (int i = 0; i < requests; ++i) {
        QElapsedTimer timer;
        timer.start();
        RawClient client(port);
        client.send(request("Cmd", QByteArray::number(i)));
        const QByteArray answer = client.readAnswer(RequestDeadlineMs);
        if (answerBody(answer) == "echo:" + QByteArray::number(i) &&
            timer.elapsed() < RequestDeadlineMs) {
            ++answered;
        }
    }
    return answered;
}

TEST(HttpSlowPeers, IdleAndTricklingPeersDelayNobodyAndAreClosedAtTheDeadline) {
    ScriptedRouter router;
    ServerThread server(router, deadlineLimits());
    RawSockets idle;
    RawSockets trickling;
    ASSERT_TRUE(idle.connectMore(server.port(), 600));
    ASSERT_TRUE(trickling.connectMore(server.port(), 512));
    QElapsedTimer sinceConnected;
    sinceConnected.start();
    trickling.sendToEach("GET Cmd HTTP/1.1\r\nX-Pad:");

    // One header byte each, often enough that no single wait for a byte ever runs out.
    std::atomic<bool> stop{false};
    std::thread trickle([&] {
        while (!stop) {
            for (int slice = 0; slice < 10 && !stop; ++slice) {
                QThread::msleep(RequestDeadlineMs / 40);
            }
            trickling.sendToEach("x");
        }
    });

    EXPECT_EQ(answeredPromptly(server.port(), 50), 50);

    // The trickling peers never finish their head; the deadline for the whole request ends it.
    while (sinceConnected.elapsed() < RequestDeadlineMs + 1500) {
        QThread::msleep(50);
    }
    stop = true;
    trickle.join();
    EXPECT_EQ(trickling.countAnswered("HTTP/1.1 400 "), 512);
    EXPECT_EQ(idle.countAnswered("HTTP/1.1 400 "), 600);
    EXPECT_EQ(router.calls().size(), 50u);
}

TEST(HttpSlowPeers, APeerThatStaysAfterItsAnswerHoldsNoServingSlot) {
    ListenerLimits limits = deadlineLimits();
    limits.maxConnections = 1;
    limits.connection.closeTimeoutMs = 60000;
    ScriptedRouter router;
    ServerThread server(router, limits);

    RawClient staying(server.port());
    staying.send(request("Cmd", "first"));
    EXPECT_EQ(answerBody(staying.readAnswer(RequestDeadlineMs)), "echo:first");
    // The first peer keeps its connection open; the only serving slot is free regardless.
    EXPECT_EQ(answeredPromptly(server.port(), 3), 3);
    // The slot is given back just after the answer's last byte went out.
    const QDeadlineTimer deadline(RequestDeadlineMs);
    while (server.activeConnections() != 0 && !deadline.hasExpired()) {
        QThread::msleep(5);
    }
    EXPECT_EQ(server.activeConnections(), 0);
}

} // namespace
