#pragma once

#include <QDateTime>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

class VELMReport;

// The reports of one service by id, and the next id. Every operation holds the lock only for
// the table itself: no lookup ever waits behind a database query or the collector's pause, and
// reports that leave the table are released after the lock is let go.
class ReportTable {
public:
    using ReportPtr = std::shared_ptr<VELMReport>;

    // The next id, used up even when the creation then fails.
    int takeId();
    void insert(int id, ReportPtr report);
    ReportPtr find(int id) const;
    // The removed report (null when the id is not in the table).
    ReportPtr remove(int id);
    // Removes every report whose thread has ended and whose last access lies `maxAge` or more
    // from `now` (either way); answers them in id order for the caller to log and release.
    std::vector<ReportPtr> collect(const QDateTime& now, std::chrono::seconds maxAge);
    // Removes finished reports, the one used longest ago first, while the finished reports'
    // documents hold more than `budget` bytes together; answers them for the caller to log and
    // release. Running reports stay whatever they hold.
    std::vector<ReportPtr> evictOverBudget(std::size_t budget);
    // Empties the table, answering what it held.
    std::vector<ReportPtr> takeAll();
    int size() const;

private:
    mutable std::mutex m_lock;
    std::map<int, ReportPtr> m_reports;
    int m_nextId = 0;
};
