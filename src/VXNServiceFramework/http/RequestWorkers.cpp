#include "VXNServiceFramework/http/RequestWorkers.h"

#include "VXNServiceFramework/http/HttpAnswer.h"
#include "VXNServiceFramework/http/SocketStream.h"

#include <algorithm>

RequestWorkers::RequestWorkers(RequestRouter& router, int maxWorkers, int writeTimeoutMs,
                               Answered answered, int processingNoticeMs)
    : m_router(router), m_maxWorkers(std::max(1, maxWorkers)), m_writeTimeoutMs(writeTimeoutMs),
      m_answered(std::move(answered)) {
    if (processingNoticeMs > 0) {
        m_notices = std::make_unique<ProcessingNotices>(
            std::chrono::milliseconds(processingNoticeMs), writeTimeoutMs);
    }
}

RequestWorkers::~RequestWorkers() {
    std::deque<ReadRequest> unserved;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        unserved.swap(m_queue);
    }
    m_wake.notify_all();
    for (std::thread& thread : m_threads) {
        thread.join();
    }
    for (const ReadRequest& request : unserved) {
        m_answered(request.fd, false);
    }
}

void RequestWorkers::submit(ReadRequest request) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_queue.push_back(std::move(request));
    if (static_cast<qsizetype>(m_queue.size()) <= m_idle) {
        lock.unlock();
        m_wake.notify_one();
        return;
    }
    if (static_cast<int>(m_threads.size()) < m_maxWorkers) {
        // Counted as idle from the start: it takes one of the waiting requests.
        ++m_idle;
        m_threads.emplace_back([this] { work(); });
    }
}

void RequestWorkers::work() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        if (m_stopping) {
            return;
        }
        ReadRequest request = std::move(m_queue.front());
        m_queue.pop_front();
        --m_idle;
        m_busy.fetch_add(1, std::memory_order_acq_rel);
        lock.unlock();
        const bool written = serve(request);
        // The slot is free once the answer is out; the connection's close is not its business.
        m_busy.fetch_sub(1, std::memory_order_acq_rel);
        m_answered(request.fd, written);
        lock.lock();
        ++m_idle;
    }
}

bool RequestWorkers::serve(ReadRequest& request) {
    if (m_notices) {
        m_notices->begin(request.fd);
    }
    const HttpAnswer::Parts answer =
        HttpAnswer::forRequest(m_router, request.command, request.body);
    request.body = QByteArray(); // its memory is not needed while the answer is written
    request.bodyShare.release();
    if (m_notices && !m_notices->end(request.fd)) {
        return false; // the peer stopped taking even the notices
    }
    if (!SocketStream::writeAll(request.fd, {answer.head, answer.body}, m_writeTimeoutMs))
        return false;
    SocketStream::endOutput(request.fd);
    return true;
}
