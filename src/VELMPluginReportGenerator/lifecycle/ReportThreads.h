#pragma once

#include <list>
#include <memory>
#include <mutex>
#include <thread>

class VELMReport;

// Runs each report on a thread of its own. The thread holds a reference to its report, so a
// report that is cancelled or collected while it runs stays alive until its run ends; nobody
// has to wait for it meanwhile. Ended threads are joined when the next one starts, and
// waitForAll() joins the rest.
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
    struct Runner {
        std::thread thread;
        bool ended = false; // under m_mutex
    };

    // Takes the runners that have ended out of the list; the caller joins them.
    std::list<Runner> takeEnded();

    std::mutex m_mutex;
    std::list<Runner> m_runners;
};
