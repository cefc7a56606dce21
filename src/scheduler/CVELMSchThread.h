#pragma once

#include "VXNServiceFramework/threads/Thread.h"

#include <QDateTime>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

class ScheduleStore;
class PeerCaller;
struct ScheduleItem;

// The scheduler's one worker: passes over every item, fires the due ones, and sleeps until the
// earliest next run (at most the wait cap) or until the store changes.
//
// Its own mutex guards only the wake and stop flags: it is never held during a pass, so a
// command that changes the store may wake the worker while holding the store lock. A wake that
// comes during a pass leaves the flag set and the worker makes another pass instead of sleeping.
class CVELMSchThread : public Thread {
public:
    // Items fire when their planned time is less than this many seconds away.
    static constexpr qint64 firingWindowSeconds = 5;

    CVELMSchThread(ScheduleStore& store, PeerCaller& peers, std::chrono::seconds waitCap);
    ~CVELMSchThread() override;

    // From any thread; never blocks on a pass.
    void wake();
    // The loop ends after its current pass or wait.
    void stop();

    // One pass over the store under its lock; the earliest next run time of all items.
    std::optional<QDateTime> pass();

protected:
    void run() override;

private:
    void examine(ScheduleItem& item, const QDateTime& now);
    void fire(const ScheduleItem& item);
    // Milliseconds to sleep until `next`, logged; -1 for no limit.
    qint64 waitBefore(const std::optional<QDateTime>& next) const;

    ScheduleStore& m_store;
    // Fired commands go out with callAsync: a slow or missing target never holds up a pass.
    PeerCaller& m_peers;
    const qint64 m_waitCapSeconds;

    std::mutex m_waitMutex;
    std::condition_variable m_waitCondition;
    bool m_wakePending = false;
    bool m_stopRequested = false;
};
