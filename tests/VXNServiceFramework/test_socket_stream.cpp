#include "VXNServiceFramework/http/SocketStream.h"

#include <QByteArray>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

// Both ends of a local stream; the writing end non-blocking with a small send buffer, so that
// a large write goes out in many partial sends.
struct SocketPair {
    int writer = -1;
    int reader = -1;
    SocketPair() {
        int fds[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0)
            return;
        writer = fds[0];
        reader = fds[1];
        const int small = 4096;
        ::setsockopt(writer, SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
        ::fcntl(writer, F_SETFL, ::fcntl(writer, F_GETFL) | O_NONBLOCK);
    }
    ~SocketPair() {
        closeReader();
        if (writer >= 0)
            ::close(writer);
    }
    void closeReader() {
        if (reader >= 0)
            ::close(reader);
        reader = -1;
    }
};

QByteArray patterned(qsizetype size, int seed) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 31 + seed) % 251);
    return bytes;
}

TEST(SocketStream, PiecesArriveWholeAndInOrderThroughManyPartialSends) {
    SocketPair pair;
    ASSERT_GE(pair.writer, 0);
    const QByteArray head = "HTTP/1.1 200 OK\r\n\r\n";
    const QByteArray body = patterned(3 * 1024 * 1024 + 7, 1);
    const QByteArray tail = "!";
    QByteArray received;
    std::thread reading([&] {
        char buffer[1000]; // less than a piece, and not a divisor of any
        for (;;) {
            const ssize_t n = ::read(pair.reader, buffer, sizeof buffer);
            if (n <= 0)
                return;
            received.append(buffer, n);
        }
    });
    const bool written = SocketStream::writeAll(pair.writer, {head, {}, body, tail}, 5000);
    ::shutdown(pair.writer, SHUT_WR);
    reading.join();
    EXPECT_TRUE(written);
    EXPECT_EQ(received.size(), head.size() + body.size() + tail.size());
    EXPECT_TRUE(received == head + body + tail);
}

TEST(SocketStream, APeerThatLeavesOrStopsReadingEndsTheWrite) {
    const QByteArray body = patterned(1024 * 1024, 2);
    {
        SocketPair gone;
        gone.closeReader();
        // No SIGPIPE ends the process; the write answers false.
        EXPECT_FALSE(SocketStream::writeAll(gone.writer, {QByteArrayView("head"), body}, 1000));
    }
    SocketPair stalled;
    EXPECT_FALSE(SocketStream::writeAll(stalled.writer, {body}, 100));
}

} // namespace
