#pragma once

#include <QByteArray>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

// While a request takes long to serve, its client hears from us every `interval`: an interim
// "102 Processing" answer, which an HTTP/1.1 client reads past to the final answer. A client's
// read limit counts from the last bytes it received, so a long computation no longer looks like
// a silent peer. Answers quicker than the interval go out exactly as before.
//
// One thread writes the notices for every connection; the serving thread brackets its work with
// begin() and end(), and writes its own answer only after end(), so the two never write to a
// connection at once and no notice reaches a connection that was handed back.
class ProcessingNotices {
public:
    // Peers see this interim answer as it is.
    static const QByteArray& notice();

    explicit ProcessingNotices(std::chrono::milliseconds interval, int writeTimeoutMs);
    ~ProcessingNotices();

    ProcessingNotices(const ProcessingNotices&) = delete;
    ProcessingNotices& operator=(const ProcessingNotices&) = delete;

    void begin(int fd);
    // Waits while a notice is being written to `fd`; false when one could not be written (the
    // peer went away or stopped reading).
    bool end(int fd);

private:
    using Clock = std::chrono::steady_clock;
    struct Serving {
        Clock::time_point due;
        bool writing = false;
        bool failed = false;
    };

    void run();

    const std::chrono::milliseconds m_interval;
    const int m_writeTimeoutMs;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<int, Serving> m_serving;
    bool m_stopping = false;
    std::thread m_thread;
};
