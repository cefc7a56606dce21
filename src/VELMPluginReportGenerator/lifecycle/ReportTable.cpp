#include "VELMPluginReportGenerator/lifecycle/ReportTable.h"

#include "VELMPluginReportGenerator/report/VELMReport.h"

int ReportTable::takeId() {
    std::lock_guard locker(m_lock);
    return m_nextId++;
}

void ReportTable::insert(int id, ReportPtr report) {
    std::lock_guard locker(m_lock);
    m_reports[id] = std::move(report);
}

ReportTable::ReportPtr ReportTable::find(int id) const {
    std::lock_guard locker(m_lock);
    const auto it = m_reports.find(id);
    return it == m_reports.end() ? nullptr : it->second;
}

ReportTable::ReportPtr ReportTable::remove(int id) {
    std::lock_guard locker(m_lock);
    const auto it = m_reports.find(id);
    if (it == m_reports.end())
        return nullptr;
    ReportPtr report = std::move(it->second);
    m_reports.erase(it);
    return report;
}

std::vector<ReportTable::ReportPtr> ReportTable::collect(const QDateTime& now,
                                                         std::chrono::seconds maxAge) {
    std::vector<ReportPtr> removed;
    // Plain numbers in the walk: the table's lock is held for it.
    const qint64 nowMs = now.toMSecsSinceEpoch();
    const qint64 maxAgeMs = qint64(maxAge.count()) * 1000;
    std::lock_guard locker(m_lock);
    for (auto it = m_reports.begin(); it != m_reports.end();) {
        const VELMReport& report = *it->second;
        const std::optional<qint64> lastAccess = report.lastAccessMs();
        const bool old = lastAccess && std::abs(nowMs - *lastAccess) >= maxAgeMs;
        if (!report.isRunning() && old) {
            removed.push_back(std::move(it->second));
            it = m_reports.erase(it);
        } else {
            ++it;
        }
    }
    return removed;
}

std::vector<ReportTable::ReportPtr> ReportTable::takeAll() {
    std::vector<ReportPtr> all;
    std::lock_guard locker(m_lock);
    for (auto& [id, report] : m_reports)
        all.push_back(std::move(report));
    m_reports.clear();
    return all;
}

int ReportTable::size() const {
    std::lock_guard locker(m_lock);
    return int(m_reports.size());
}
