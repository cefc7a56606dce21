#include "VELMPluginReportGenerator/lifecycle/ReportThreads.h"

#include "VELMPluginReportGenerator/report/VELMReport.h"

ReportThreads::~ReportThreads() {
    waitForAll();
}

std::list<ReportThreads::Runner> ReportThreads::takeEnded() {
    std::list<Runner> ended;
    std::lock_guard lock(m_mutex);
    for (auto it = m_runners.begin(); it != m_runners.end();) {
        const auto next = std::next(it);
        if (it->ended)
            ended.splice(ended.end(), m_runners, it);
        it = next;
    }
    return ended;
}

void ReportThreads::start(std::shared_ptr<VELMReport> report) {
    for (Runner& runner : takeEnded())
        runner.thread.join();
    report->setRunning(true);
    std::lock_guard lock(m_mutex);
    Runner& runner = m_runners.emplace_back();
    runner.thread = std::thread([this, &runner, report = std::move(report)]() mutable {
        report->run();
        report->setRunning(false);
        // The last reference may go here, on the report's own thread: fine, the report is no
        // thread object itself.
        report.reset();
        std::lock_guard lock(m_mutex);
        runner.ended = true;
    });
}

void ReportThreads::waitForAll() {
    std::list<Runner> all;
    {
        std::lock_guard lock(m_mutex);
        all.swap(m_runners);
    }
    for (Runner& runner : all)
        runner.thread.join();
}
