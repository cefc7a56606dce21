#pragma once

#include "VXNServiceFramework/http/RequestReader.h"
#include "VXNServiceFramework/http/RequestWorkers.h"

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

// Accepts connections and watches every one that is not being served: while its request
// arrives and, after the answer, until the peer closes. One thread waits on all of them, so an
// idle or slow peer costs a descriptor and its bytes, never a serving thread; a request is
// handed on only once it has been read whole.
class ConnectionPoller {
public:
    using Clock = std::chrono::steady_clock;

    struct Limits {
        // For reading one whole request, head and body, from the accept on.
        int readTimeoutMs = 30000;
        // After the answer, how long the peer may keep the connection before it is closed.
        int closeTimeoutMs = 30000;
        // Connections held open at once (reading or closing); at the bound the oldest goes.
        int maxOpenConnections = 8192;
        RequestReader::Limits reader;
    };

    using RequestReady = std::function<void(ReadRequest)>;

    // Watches `listenFd` (owned by the caller, which may close it to stop accepting) and calls
    // `ready` on the poller's thread for each request read whole; from then on the connection
    // belongs to whoever serves it until answered() gives it back.
    ConnectionPoller(int listenFd, const Limits& limits, RequestReady ready);
    // Starts accepting. Separate from construction so that whoever hands answers back to the
    // poller holds it before the first request can arrive.
    void start();
    // Stops and closes every connection it holds.
    ~ConnectionPoller();

    ConnectionPoller(const ConnectionPoller&) = delete;
    ConnectionPoller& operator=(const ConnectionPoller&) = delete;

    // Ends the thread. Connections stay open until destruction; answered() may still be called.
    void stop();

    // From any thread: the answer for the connection `fd` was written (`written` false: it
    // could not be). The connection then waits for the peer to close; the poller takes note
    // within a second, or at once when the peer closes.
    void answered(int fd, bool written);

    // Connections accepted and not yet closed, served ones included.
    int openConnections() const { return m_open.load(std::memory_order_acquire); }

private:
    enum class Phase { Reading, Serving, Closing };
    struct Connection {
        Phase phase = Phase::Reading;
        quint64 serial = 0;
        std::unique_ptr<RequestReader> reader;
    };
    struct Deadline {
        Clock::time_point at;
        int fd;
        quint64 serial;
    };

    void run();
    void wake();
    void acceptAll(Clock::time_point now);
    void readRequest(int fd, Connection& connection);
    void startClosing(int fd, Connection& connection, Clock::time_point now);
    void drain(int fd);
    void close(int fd);
    bool evictOldest();
    void takeAnswered(Clock::time_point now);
    void expire(Clock::time_point now);
    int msecsUntilNext(Clock::time_point now);
    bool isCurrent(const Deadline& deadline, Phase phase) const;
    void dropStale(std::deque<Deadline>& deadlines, Phase phase);
    // The front of `deadlines` that still names an open connection in `phase`, stale ones
    // dropped; null when none is left.
    const Deadline* frontOf(std::deque<Deadline>& deadlines, Phase phase);

    const int m_listenFd;
    const Limits m_limits;
    RequestReady m_ready;
    int m_epoll = -1;
    int m_wakeFd = -1;
    bool m_broken = false; // the descriptors could not be watched: start() does nothing

    // The poller thread's own.
    std::unordered_map<int, Connection> m_connections;
    std::deque<Deadline> m_readDeadlines;  // in accept order, so in deadline order
    std::deque<Deadline> m_closeDeadlines; // in answer order
    quint64 m_nextSerial = 0;
    Clock::time_point m_acceptPausedUntil{};
    std::vector<char> m_buffer;

    std::mutex m_inboxMutex;
    std::vector<std::pair<int, bool>> m_inbox;

    std::atomic<int> m_open{0};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
