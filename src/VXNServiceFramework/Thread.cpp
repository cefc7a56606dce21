#include "VXNServiceFramework/Thread.h"

#include "VXNServiceFramework/Log.h"
#include "VXNServiceFramework/ThreadGroup.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

// The platform thread of one run of a Thread.
class ThreadPrivate : public QThread {
public:
    explicit ThreadPrivate(Thread& thread) : m_thread(thread) {}

protected:
    void run() override {
        QMutexLocker lock(&m_thread.m_mutex);
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
        ThreadGroup* group = m_thread.m_group;
        m_thread.m_activeRuns.fetch_sub(1, std::memory_order_acq_rel);
        if (group != nullptr) {
            QCoreApplication::postEvent(group, new DeleteThreadEvent(&m_thread));
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
    if (m_private) {
        m_private->wait();
    }
}

void Thread::start() {
    if (m_private) {
        m_private->wait();
        m_private.reset();
    }
    m_activeRuns.fetch_add(1, std::memory_order_acq_rel);
    m_private = std::make_unique<ThreadPrivate>(*this);
    m_private->start(QThread::InheritPriority);
}

bool Thread::wait(int msecs) {
    return !m_private || m_private->wait(deadlineFor(msecs));
}

bool Thread::waitForStop(int msecs) {
    const QDeadlineTimer deadline = deadlineFor(msecs);
    while (!isStopRequested()) {
        if (!m_condition.wait(&m_mutex, deadline)) {
            return isStopRequested();
        }
    }
    return true;
}

void Thread::requestStop() {
    m_stop.store(true, std::memory_order_release);
    if (!m_private) {
        return;
    }
    // The flag is set without the thread's mutex (a run holds it throughout), so a run may
    // check the flag just before this wake and then start waiting: wake again until it ends.
    do {
        m_condition.wakeAll();
    } while (!m_private->wait(QDeadlineTimer(20)));
}
