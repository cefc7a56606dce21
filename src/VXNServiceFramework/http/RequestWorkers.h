#pragma once

#include "VXNServiceFramework/http/ProcessingNotices.h"
#include "VXNServiceFramework/packets/SharedMemoryBudget.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class RequestRouter;

// A request read whole, waiting to be served on the connection `fd`.
struct ReadRequest {
    int fd = -1;
    QString command;
    QByteArray body;
    MemoryShare bodyShare; // the body's part of the listener's body budget
};

// Serves read requests on at most `maxWorkers` threads at once: each routes one request, writes
// its answer and hands the connection back through `answered`. Threads are started as the load
// needs them and kept for later requests; requests beyond the bound wait in arrival order.
class RequestWorkers {
public:
    // After the answer was written (`written` false: the peer did not take it in time). Runs on
    // the worker thread.
    using Answered = std::function<void(int fd, bool written)>;

    // `processingNoticeMs` > 0: a request served longer than that tells its client so, as often
    // (see ProcessingNotices).
    RequestWorkers(RequestRouter& router, int maxWorkers, int writeTimeoutMs, Answered answered,
                   int processingNoticeMs = 0);
    // Waits for the requests being served; those still waiting are not served and are handed
    // back as not written.
    ~RequestWorkers();

    RequestWorkers(const RequestWorkers&) = delete;
    RequestWorkers& operator=(const RequestWorkers&) = delete;

    void submit(ReadRequest request);

    // Requests being served right now.
    int busy() const { return m_busy.load(std::memory_order_acquire); }

private:
    void work();
    // Routes the request and writes its answer; false when the peer did not take it.
    bool serve(ReadRequest& request);

    RequestRouter& m_router;
    const int m_maxWorkers;
    const int m_writeTimeoutMs;
    Answered m_answered;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<ReadRequest> m_queue;
    std::vector<std::thread> m_threads;
    qsizetype m_idle = 0; // threads waiting for a request, or started to take one
    bool m_stopping = false;
    std::atomic<int> m_busy{0};
    std::unique_ptr<ProcessingNotices> m_notices;
};
