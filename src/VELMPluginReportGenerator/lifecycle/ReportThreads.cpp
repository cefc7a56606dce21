#include "VELMPluginReportGenerator/lifecycle/ReportThreads.h"

#include "VELMPluginReportGenerator/report/VELMReport.h"

#include <thread>

ReportThreads::~ReportThreads() {
    waitForAll();
}

void ReportThreads::start(std::shared_ptr<VELMReport> report) {
    report->setRunning(true);
    {
        std::lock_guard lock(m_mutex);
        ++m_running;
    }
    std::thread([this, report = std::move(report)]() mutable {
        report->run();
        report->setRunning(false);
        // The last reference may go here, on the report's own thread: fine, the report is no
        // thread object itself.
        report.reset();
        // Notified under the lock: once the waiter sees zero, this thread touches nothing of
        // ours any more.
        std::lock_guard lock(m_mutex);
        --m_running;
        m_ended.notify_all();
    }).detach();
}

void ReportThreads::waitForAll() {
    std::unique_lock lock(m_mutex);
    m_ended.wait(lock, [this] { return m_running == 0; });
}
