#pragma once

#include <QMutex>
#include <QWaitCondition>
#include <atomic>
#include <exception>
#include <memory>

class ThreadGroup;
class ThreadPrivate;

// Thrown by a run that wants to end quietly.
class TerminateThreadException : public std::exception {
public:
    const char* what() const noexcept override { return "TerminateThreadException"; }
};

// A unit of work run once on a fresh platform thread. It belongs to a group that deletes it
// after its run has ended; the code that starts a thread never deletes it.
class Thread {
public:
    explicit Thread(ThreadGroup* group);
    virtual ~Thread();

    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Starts run() on a new platform thread with the caller's priority. A second start waits
    // for the first run to end.
    void start();

    // Waits for the current run to end; true when it ended within `msecs` (-1: no limit) or
    // the thread was never started.
    bool wait(int msecs = -1);

    bool isStopRequested() const { return m_stop.load(std::memory_order_acquire); }
    ThreadGroup* group() const { return m_group; }

protected:
    virtual void run() = 0;

    // Held by the framework for the whole of run(). A run that waits does so on m_condition
    // with m_mutex and ends when it sees isStopRequested(); waitForStop() does exactly that.
    QMutex m_mutex;
    QWaitCondition m_condition;

    // Waits on the condition until a stop is requested or `msecs` pass; true when stopped.
    bool waitForStop(int msecs);

private:
    friend class ThreadPrivate;
    friend class ThreadGroup;

    void requestStop();

    std::unique_ptr<ThreadPrivate> m_private;
    // Runs started and not yet ended; the group deletes the thread only when none is left.
    std::atomic<int> m_activeRuns{0};
    std::atomic<bool> m_stop{false};
    ThreadGroup* m_group;
};
