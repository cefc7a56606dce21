#pragma once

#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>

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

    // Stack size of the platform threads of later starts; 0 (the default) is the platform's.
    void setStackSize(unsigned bytes) { m_stackSize = bytes; }

    bool isStopRequested() const { return m_stop.load(std::memory_order_acquire); }
    // Sets the stop flag, wakes the run and waits for it to end. The group does this when it
    // shuts down; the owner of a thread without a group does it before deleting the thread.
    void requestStop();
    ThreadGroup* group() const { return m_group; }

protected:
    virtual void run() = 0;

    // Held by the framework for the whole of run(). A run that waits does so on m_condition
    // with this mutex (waitForStop() does) and ends when it sees isStopRequested().
    std::mutex m_mutex;
    std::condition_variable m_condition;

    // From run(): waits on the condition until a stop is requested or `msecs` pass (-1: no
    // limit); true when a stop was requested.
    bool waitForStop(int msecs);

private:
    friend class ThreadPrivate;
    friend class ThreadGroup;

    // Joins the platform thread of the last run, if any, and takes over what it wrote.
    bool joinPlatformThread(int msecs);

    std::unique_ptr<ThreadPrivate> m_private;
    // The lock run() holds, for waits inside the run.
    std::unique_lock<std::mutex>* m_runLock = nullptr;
    std::atomic<bool> m_stop{false};
    // Runs started and not yet ended; the group deletes the thread only when none is left.
    std::atomic<int> m_activeRuns{0};
    ThreadGroup* m_group;
    unsigned m_stackSize = 0;
};
