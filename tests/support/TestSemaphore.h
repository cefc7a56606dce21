#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

// A counting semaphore on std::mutex, whose ordering ThreadSanitizer sees (unlike Qt's).
class TestSemaphore {
public:
    void release(int n = 1) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_count += n;
        m_changed.notify_all();
    }

    void acquire(int n = 1) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [&] { return m_count >= n; });
        m_count -= n;
    }

    bool tryAcquire(int n, int msecs) {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (!m_changed.wait_for(lock, std::chrono::milliseconds(msecs),
                                [&] { return m_count >= n; })) {
            return false;
        }
        m_count -= n;
        return true;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_count = 0;
};
