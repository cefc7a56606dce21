#include "VXNServiceFramework/http/ConnectionPoller.h"

#include "VXNServiceFramework/app/Log.h"
#include "VXNServiceFramework/http/HttpAnswer.h"
#include "VXNServiceFramework/http/SocketStream.h"

#include <cerrno>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int EventBatch = 256;
constexpr int AcceptBatch = 64;
constexpr std::size_t ReadBufferBytes = 64 * 1024;
// How late an answered connection may be noticed when its peer does not close at once.
constexpr int InboxLatencyMs = 1000;
// When the process is out of descriptors and nothing can be let go, accepting rests this long
// instead of spinning on a listening socket that stays readable.
constexpr auto AcceptPause = std::chrono::milliseconds(50);

// Descriptors beyond the soft limit are there for the asking; held connections need them.
void raiseDescriptorLimit(int wanted) {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= rlim_t(wanted)) {
        return;
    }
    limit.rlim_cur = std::min<rlim_t>(limit.rlim_max, rlim_t(wanted));
    ::setrlimit(RLIMIT_NOFILE, &limit);
}

// Best effort: the answer is a few bytes into an empty send buffer, and whatever happens the
// connection is closed after it.
void sendRefusal(int fd, const QByteArray& bytes) {
    while (::send(fd, bytes.constData(), static_cast<size_t>(bytes.size()), MSG_NOSIGNAL) < 0 &&
           errno == EINTR) {
    }
    SocketStream::endOutput(fd);
}

} // namespace

ConnectionPoller::ConnectionPoller(int listenFd, const Limits& limits, RequestReady ready)
    : m_listenFd(listenFd), m_limits(limits), m_ready(std::move(ready)), m_buffer(ReadBufferBytes) {
    raiseDescriptorLimit(m_limits.maxOpenConnections + 1024);
    m_epoll = ::epoll_create1(EPOLL_CLOEXEC);
    m_wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    epoll_event wakeEvent{};
    wakeEvent.events = EPOLLIN;
    wakeEvent.data.fd = m_wakeFd;
    epoll_event listenEvent{};
    listenEvent.events = EPOLLIN;
    listenEvent.data.fd = m_listenFd;
    if (m_epoll < 0 || m_wakeFd < 0 ||
        ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, m_wakeFd, &wakeEvent) != 0 ||
        ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, m_listenFd, &listenEvent) != 0) {
        VELM_ERR << "Cannot watch connections: " << strerror(errno);
        m_broken = true;
    }
}

void ConnectionPoller::start() {
    if (!m_broken && !m_thread.joinable()) {
        m_thread = std::thread([this] { run(); });
    }
}

ConnectionPoller::~ConnectionPoller() {
    stop();
    for (const auto& entry : m_connections) {
        ::close(entry.first);
    }
    if (m_wakeFd >= 0) {
        ::close(m_wakeFd);
    }
    if (m_epoll >= 0) {
        ::close(m_epoll);
    }
}

void ConnectionPoller::stop() {
    m_stop.store(true, std::memory_order_release);
    if (m_thread.joinable()) {
        wake();
        m_thread.join();
    }
}

void ConnectionPoller::wake() {
    const quint64 one = 1;
    while (::write(m_wakeFd, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void ConnectionPoller::answered(int fd, bool written) {
    // No wake-up: the peer's close, which normally follows at once, wakes the poller anyway,
    // and it looks at least every InboxLatency otherwise. Waking it for every answer cost a
    // context switch per request.
    std::lock_guard<std::mutex> lock(m_inboxMutex);
    m_inbox.emplace_back(fd, written);
}

void ConnectionPoller::run() {
    epoll_event events[EventBatch];
    while (!m_stop.load(std::memory_order_acquire)) {
        const int count = ::epoll_wait(m_epoll, events, EventBatch, msecsUntilNext(Clock::now()));
        if (count < 0 && errno != EINTR) {
            VELM_ERR << "Waiting for connections failed: " << strerror(errno);
            return;
        }
        const Clock::time_point now = Clock::now();
        for (int i = 0; i < count; ++i) {
            const int fd = events[i].data.fd;
            if (fd == m_wakeFd) {
                quint64 counter = 0;
                [[maybe_unused]] const ssize_t got = ::read(m_wakeFd, &counter, sizeof counter);
            } else if (fd == m_listenFd) {
                acceptAll(now);
            } else if (auto it = m_connections.find(fd); it != m_connections.end()) {
                if (it->second.phase == Phase::Reading) {
                    readRequest(fd, it->second);
                } else if (it->second.phase == Phase::Closing) {
                    drain(fd);
                }
                // Serving: looked at again when the answer is out.
            }
        }
        takeAnswered(now);
        expire(now);
    }
}

void ConnectionPoller::acceptAll(Clock::time_point now) {
    for (int taken = 0; taken < AcceptBatch; ++taken) {
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) {
                continue;
            }
            if ((errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) &&
                !evictOldest()) {
                ::epoll_ctl(m_epoll, EPOLL_CTL_DEL, m_listenFd, nullptr);
                m_acceptPausedUntil = now + AcceptPause;
            }
            return; // EAGAIN: all taken; otherwise the listening socket is gone
        }
        if (static_cast<int>(m_connections.size()) >= m_limits.maxOpenConnections &&
            !evictOldest()) {
            ::close(fd);
            continue;
        }
        epoll_event event{};
        event.events = EPOLLIN | EPOLLRDHUP | EPOLLET;
        event.data.fd = fd;
        if (::epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &event) != 0) {
            ::close(fd);
            continue;
        }
        Connection& connection = m_connections[fd];
        connection.serial = ++m_nextSerial;
        connection.reader = std::make_unique<RequestReader>(m_limits.reader);
        m_open.fetch_add(1, std::memory_order_acq_rel);
        m_readDeadlines.push_back(
            {now + std::chrono::milliseconds(m_limits.readTimeoutMs), fd, connection.serial});
        dropStale(m_readDeadlines, Phase::Reading);
        // The request often arrives right behind the handshake.
        readRequest(fd, connection);
    }
}

void ConnectionPoller::readRequest(int fd, Connection& connection) {
    for (;;) {
        const ssize_t got = ::recv(fd, m_buffer.data(), m_buffer.size(), 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return;
        }
        if (got <= 0) {
            // The peer went away before its request was whole: nobody to answer.
            close(fd);
            return;
        }
        switch (connection.reader->feed(m_buffer.data(), got)) {
        case RequestReader::Status::NeedMore:
            continue;
        case RequestReader::Status::Bad:
            sendRefusal(fd, HttpAnswer::badRequest());
            startClosing(fd, connection, Clock::now());
            return;
        case RequestReader::Status::Overloaded:
            sendRefusal(fd, HttpAnswer::overloaded());
            startClosing(fd, connection, Clock::now());
            return;
        case RequestReader::Status::Complete: {
            ReadRequest request{fd, connection.reader->command(), connection.reader->takeBody(),
                                connection.reader->takeShare()};
            connection.reader.reset();
            connection.phase = Phase::Serving;
            m_ready(std::move(request));
            return;
        }
        }
    }
}

void ConnectionPoller::startClosing(int fd, Connection& connection, Clock::time_point now) {
    connection.phase = Phase::Closing;
    connection.reader.reset();
    m_closeDeadlines.push_back(
        {now + std::chrono::milliseconds(m_limits.closeTimeoutMs), fd, connection.serial});
    dropStale(m_closeDeadlines, Phase::Closing);
    // Whatever arrived meanwhile, the close included, raised no new edge.
    drain(fd);
}

void ConnectionPoller::drain(int fd) {
    for (;;) {
        const ssize_t got = ::recv(fd, m_buffer.data(), m_buffer.size(), 0);
        if (got > 0 || (got < 0 && errno == EINTR)) {
            continue; // what the peer still sends is not read as a request
        }
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return;
        }
        close(fd);
        return;
    }
}

void ConnectionPoller::close(int fd) {
    if (m_connections.erase(fd) == 0) {
        return;
    }
    ::close(fd); // leaves the epoll set with it
    m_open.fetch_sub(1, std::memory_order_acq_rel);
}

bool ConnectionPoller::evictOldest() {
    // A connection already answered is the cheapest to let go, then the longest waiting request.
    const Deadline* oldest = frontOf(m_closeDeadlines, Phase::Closing);
    if (oldest == nullptr) {
        oldest = frontOf(m_readDeadlines, Phase::Reading);
    }
    if (oldest == nullptr) {
        return false;
    }
    close(oldest->fd);
    return true;
}

void ConnectionPoller::takeAnswered(Clock::time_point now) {
    std::vector<std::pair<int, bool>> answers;
    {
        std::lock_guard<std::mutex> lock(m_inboxMutex);
        answers.swap(m_inbox);
    }
    for (const auto& [fd, written] : answers) {
        const auto it = m_connections.find(fd);
        if (it == m_connections.end() || it->second.phase != Phase::Serving) {
            continue;
        }
        if (written) {
            startClosing(fd, it->second, now);
        } else {
            close(fd);
        }
    }
}

void ConnectionPoller::expire(Clock::time_point now) {
    for (const Deadline* due = frontOf(m_readDeadlines, Phase::Reading);
         due != nullptr && due->at <= now; due = frontOf(m_readDeadlines, Phase::Reading)) {
        const int fd = due->fd;
        m_readDeadlines.pop_front();
        sendRefusal(fd, HttpAnswer::badRequest());
        startClosing(fd, m_connections[fd], now);
    }
    for (const Deadline* due = frontOf(m_closeDeadlines, Phase::Closing);
         due != nullptr && due->at <= now; due = frontOf(m_closeDeadlines, Phase::Closing)) {
        const int fd = due->fd;
        m_closeDeadlines.pop_front();
        close(fd);
    }
    if (m_acceptPausedUntil != Clock::time_point{} && m_acceptPausedUntil <= now) {
        m_acceptPausedUntil = {};
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.fd = m_listenFd;
        ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, m_listenFd, &event);
    }
}

const ConnectionPoller::Deadline* ConnectionPoller::frontOf(std::deque<Deadline>& deadlines,
                                                            Phase phase) {
    while (!deadlines.empty()) {
        if (isCurrent(deadlines.front(), phase)) {
            return &deadlines.front();
        }
        deadlines.pop_front();
    }
    return nullptr;
}

bool ConnectionPoller::isCurrent(const Deadline& deadline, Phase phase) const {
    const auto it = m_connections.find(deadline.fd);
    return it != m_connections.end() && it->second.serial == deadline.serial &&
           it->second.phase == phase;
}

void ConnectionPoller::dropStale(std::deque<Deadline>& deadlines, Phase phase) {
    // Entries of connections that moved on wait behind a slow one at the front; swept once
    // they clearly outnumber the live ones so the queue cannot grow with the request rate.
    if (deadlines.size() < 2 * m_connections.size() + 1024) {
        return;
    }
    std::erase_if(deadlines, [&](const Deadline& deadline) { return !isCurrent(deadline, phase); });
}

int ConnectionPoller::msecsUntilNext(Clock::time_point now) {
    Clock::time_point next = Clock::time_point::max();
    if (const Deadline* due = frontOf(m_readDeadlines, Phase::Reading)) {
        next = std::min(next, due->at);
    }
    if (const Deadline* due = frontOf(m_closeDeadlines, Phase::Closing)) {
        next = std::min(next, due->at);
    }
    if (m_acceptPausedUntil != Clock::time_point{}) {
        next = std::min(next, m_acceptPausedUntil);
    }
    if (next <= now) {
        return 0;
    }
    // Rounded up, so the wake-up never comes a millisecond before the deadline.
    const auto left = next == Clock::time_point::max()
                          ? InboxLatencyMs
                          : std::chrono::ceil<std::chrono::milliseconds>(next - now).count();
    return static_cast<int>(std::min<long long>(left, InboxLatencyMs));
}
