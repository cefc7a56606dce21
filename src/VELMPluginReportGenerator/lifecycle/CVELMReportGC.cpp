#include "VELMPluginReportGenerator/lifecycle/CVELMReportGC.h"

#include "VELMPluginReportGenerator/lifecycle/ReportTable.h"
#include "VELMPluginReportGenerator/report/VELMReport.h"

#include "VXNServiceFramework/app/Log.h"

CVELMReportGC::CVELMReportGC(ReportTable& table, Timing timing)
    : m_table(table), m_timing(std::move(timing)) {}

CVELMReportGC::~CVELMReportGC() {
    stop();
    if (m_thread.joinable())
        m_thread.join();
}

void CVELMReportGC::start() {
    m_thread = std::thread([this] { run(); });
}

void CVELMReportGC::stop() {
    std::lock_guard locker(m_lock);
    m_stop = true;
    m_wake.notify_all();
}

void CVELMReportGC::collectOnce() {
    const auto removed = m_table.collect(m_timing.clock(), m_timing.maxAge);
    for (const auto& report : removed)
        VELM_INFO << "GC: delete report with ID (" << report->id() << ")";
}

void CVELMReportGC::run() {
    std::unique_lock locker(m_lock);
    while (!m_stop) {
        locker.unlock();
        collectOnce();
        locker.lock();
        m_wake.wait_for(locker, m_timing.wait, [this] { return m_stop; });
    }
}
