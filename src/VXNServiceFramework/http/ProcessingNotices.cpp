#include "VXNServiceFramework/http/ProcessingNotices.h"

#include "VXNServiceFramework/http/SocketStream.h"

#include <vector>

const QByteArray& ProcessingNotices::notice() {
    static const QByteArray bytes("HTTP/1.1 102 Processing\r\n\r\n");
    return bytes;
}

ProcessingNotices::ProcessingNotices(std::chrono::milliseconds interval, int writeTimeoutMs)
    : m_interval(interval), m_writeTimeoutMs(writeTimeoutMs), m_thread([this] { run(); }) {}

ProcessingNotices::~ProcessingNotices() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void ProcessingNotices::begin(int fd) {
    bool first = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        first = m_serving.empty();
        m_serving[fd] = Serving{Clock::now() + m_interval};
    }
    if (first) {
        m_changed.notify_all(); // the writer sleeps without a deadline while nothing is served
    }
}

bool ProcessingNotices::end(int fd) {
    std::unique_lock<std::mutex> lock(m_mutex);
    const auto it = m_serving.find(fd);
    if (it == m_serving.end()) {
        return true;
    }
    m_changed.wait(lock, [&] { return !it->second.writing; });
    const bool failed = it->second.failed;
    m_serving.erase(it);
    return !failed;
}

void ProcessingNotices::run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stopping) {
        std::vector<int> due;
        Clock::time_point next = Clock::time_point::max();
        const Clock::time_point now = Clock::now();
        for (auto& [fd, serving] : m_serving) {
            if (serving.failed) {
                continue;
            }
            if (serving.due <= now) {
                serving.writing = true;
                due.push_back(fd);
            } else {
                next = std::min(next, serving.due);
            }
        }
        if (due.empty()) {
            if (next == Clock::time_point::max()) {
                m_changed.wait(lock);
            } else {
                m_changed.wait_until(lock, next);
            }
            continue;
        }
        // Written without the lock: a serving thread that finishes meanwhile waits in end()
        // for its connection only.
        lock.unlock();
        std::vector<bool> written;
        for (const int fd : due) {
            written.push_back(SocketStream::writeAll(fd, notice(), m_writeTimeoutMs));
        }
        lock.lock();
        for (std::size_t i = 0; i < due.size(); ++i) {
            Serving& serving = m_serving.at(due[i]);
            serving.writing = false;
            serving.failed = !written[i];
            serving.due = Clock::now() + m_interval;
        }
        m_changed.notify_all();
    }
}
