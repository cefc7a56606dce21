#include "VXNServiceFramework/threads/Thread.h"

#include "VXNServiceFramework/app/Log.h"
#include "VXNServiceFramework/threads/ThreadGroup.h"
#include "VXNServiceFramework/threads/TsanAnnotations.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

// The platform thread of one run of a Thread.
class ThreadPrivate : public QThread {
public:
    explicit ThreadPrivate(Thread& thread) : m_thread(thread) {}

protected:
    void run() override {
        std::unique_lock<std::mutex> lock(m_thread.m_mutex);
        m_thread.m_runLock = &lock;
        try {
            m_thread.run();
        } catch (const TerminateThreadException&) {
        } catch (const std::exception& e) {
            // The run is over either way; the process keeps serving and the group still
            // reclaims the thread.
            VELM_ERR << "Thread ended by exception: " << e.what();
        } catch (...) {
            VELM_ERR << "Thread ended by unknown exception";
        }
        m_thread.m_runLock = nullptr;
        ThreadGroup* group = m_thread.m_group;
        m_thread.m_activeRuns.fetch_sub(1, std::memory_order_acq_rel);
        if (group != nullptr) {
            auto* event = new DeleteThreadEvent(&m_thread);
            VELM_TSAN_RELEASE(event);
            QCoreApplication::postEvent(group, event);
        }
    }

private:
    Thread& m_thread;
};

namespace {
QDeadlineTimer deadlineFor(int msecs) {
    return msecs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(msecs);
}
} // namespace

Thread::Thread(ThreadGroup* group) : m_group(group) {
    if (m_group != nullptr) {
        m_group->add(this);
    }
}

Thread::~Thread() {
    joinPlatformThread(-1);
}

void Thread::start() {
    {
        // Counted first, under the group's lock, so that the deletion event of an earlier run
        // leaves this thread alone.
        std::unique_lock<std::mutex> groupLock;
        if (m_group != nullptr) {
            groupLock = std::unique_lock<std::mutex>(m_group->m_mutex);
        }
        m_activeRuns.fetch_add(1, std::memory_order_acq_rel);
    }
    joinPlatformThread(-1);
    m_private = std::make_unique<ThreadPrivate>(*this);
    if (m_stackSize > 0) {
        m_private->setStackSize(m_stackSize);
    }
    m_private->start(QThread::InheritPriority);
}

bool Thread::wait(int msecs) {
    return joinPlatformThread(msecs);
}

bool Thread::joinPlatformThread(int msecs) {
    if (!m_private) {
        return true;
    }
    if (!m_private->wait(deadlineFor(msecs))) {
        return false;
    }
    // The run released this mutex last; taking it makes its writes visible here.
    std::lock_guard<std::mutex> sync(m_mutex);
    return true;
}

bool Thread::waitForStop(int msecs) {
    const auto stopped = [this] {
        return isStopRequested();
    };
    if (m_runLock == nullptr) {
        return stopped();
    }
    if (msecs < 0) {
        m_condition.wait(*m_runLock, stopped);
        return true;
    }
    return m_condition.wait_for(*m_runLock, std::chrono::milliseconds(msecs), stopped);
}

void Thread::requestStop() {
    m_stop.store(true, std::memory_order_release);
    if (!m_private) {
        return;
    }
    // The flag is set without the thread's mutex (a run holds it throughout), so a run may
    // check the flag just before this wake and then start waiting: wake again until it ends.
    do {
        m_condition.notify_all();
    } while (!m_private->wait(QDeadlineTimer(20)));
}
