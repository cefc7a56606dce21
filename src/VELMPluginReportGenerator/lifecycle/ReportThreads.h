#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>

class VELMReport;

// Runs each report on a thread of its own. The thread holds a reference to its report, so a
// report that is cancelled or collected while it runs stays alive until its run ends; nobody
// has to wait for it meanwhile, and starting a report never waits for another one's thread.
// waitForAll() returns once every run has ended.
class ReportThreads {
public:
    ReportThreads() = default;
    ~ReportThreads();
    ReportThreads(const ReportThreads&) = delete;
    ReportThreads& operator=(const ReportThreads&) = delete;

    void start(std::shared_ptr<VELMReport> report);
    // Waits until every report thread started so far has ended.
    void waitForAll();

private:
    std::mutex m_mutex;
    std::condition_variable m_ended;
    int m_running = 0; // under m_mutex
};
