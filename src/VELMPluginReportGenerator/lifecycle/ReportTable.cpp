#include "VELMPluginReportGenerator/lifecycle/ReportTable.h"

#include "VELMPluginReportGenerator/report/VELMReport.h"

#include <algorithm>
#include <tuple>

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

std::vector<ReportTable::ReportPtr> ReportTable::evictOverBudget(std::size_t budget) {
    std::vector<ReportPtr> removed;
    std::lock_guard locker(m_lock);
    struct Kept {
        qint64 lastAccessMs;
        int id;
        std::size_t bytes;
    };
    std::vector<Kept> finished;
    std::size_t held = 0;
    for (const auto& [id, report] : m_reports) {
        const std::size_t bytes = report->keptBytes();
        if (report->isRunning() || bytes == 0)
            continue;
        held += bytes;
        finished.push_back({report->lastAccessMs().value_or(0), id, bytes});
    }
    if (held <= budget)
        return removed;
    std::sort(finished.begin(), finished.end(), [](const Kept& a, const Kept& b) {
        return std::tie(a.lastAccessMs, a.id) < std::tie(b.lastAccessMs, b.id);
    });
    for (const Kept& kept : finished) {
        if (held <= budget)
            break;
        const auto it = m_reports.find(kept.id);
        removed.push_back(std::move(it->second));
        m_reports.erase(it);
        held -= kept.bytes;
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
