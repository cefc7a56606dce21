#pragma once

#include <QDateTime>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class ReportTable;

// The report collector: once per wait interval it removes the reports that nobody has touched
// for the maximum age and whose thread has ended. It pauses without the table's lock, so
// report creation and lookups never wait behind it. A std::thread, so that thread checkers
// see its end.
class CVELMReportGC {
public:
    struct Timing {
        std::chrono::milliseconds wait{1000};
        std::chrono::seconds maxAge{21600};
        std::function<QDateTime()> clock = [] {
            return QDateTime::currentDateTimeUtc();
        };
    };

    CVELMReportGC(ReportTable& table, Timing timing);
    // Stops the collector and waits for it.
    ~CVELMReportGC();
    CVELMReportGC(const CVELMReportGC&) = delete;
    CVELMReportGC& operator=(const CVELMReportGC&) = delete;

    void start();

    // Wakes a waiting collector and ends it before its next pass.
    void stop();
    // One pass over the table at the clock's current time.
    void collectOnce();

private:
    void run();

    ReportTable& m_table;
    Timing m_timing;
    std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_stop = false; // under m_lock
    std::thread m_thread;
};
