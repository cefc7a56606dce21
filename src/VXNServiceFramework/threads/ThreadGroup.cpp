#include "VXNServiceFramework/threads/ThreadGroup.h"

#include "VXNServiceFramework/threads/Thread.h"
#include "VXNServiceFramework/threads/TsanAnnotations.h"

#include <algorithm>

ThreadGroup::ThreadGroup(QObject* parent) : QObject(parent) {}

ThreadGroup::~ThreadGroup() {
    // Members are stopped and waited for outside the lock, so a member that registers a new
    // thread in this group while it ends does not deadlock; such late members are stopped in
    // the next round. Every member has ended when it is deleted, so none is leaked.
    for (;;) {
        std::vector<Thread*> members;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            members.swap(m_members);
        }
        if (members.empty()) {
            break;
        }
        // In order of creation: stop, wake and wait for each, then reclaim them.
        for (Thread* member : members) {
            member->requestStop();
        }
        for (Thread* member : members) {
            member->joinPlatformThread(-1);
            delete member;
        }
    }
}

int ThreadGroup::size() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_members.size());
}

void ThreadGroup::add(Thread* thread) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_members.push_back(thread);
}

bool ThreadGroup::event(QEvent* event) {
    VELM_TSAN_ACQUIRE(event); // written by the thread that posted it
    if (event->type() != DeleteThreadEvent::EventType) {
        return QObject::event(event);
    }
    Thread* thread = static_cast<DeleteThreadEvent*>(event)->thread();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        // Not a member any more, or started again after this run ended: the later run posts
        // its own event.
        if (std::find(m_members.begin(), m_members.end(), thread) == m_members.end() ||
            thread->m_activeRuns.load(std::memory_order_acquire) > 0) {
            return true;
        }
        m_members.erase(std::remove(m_members.begin(), m_members.end(), thread), m_members.end());
    }
    // The run has ended; its platform thread is at most finishing. Joined before any
    // destructor of the thread runs.
    thread->joinPlatformThread(-1);
    delete thread;
    return true;
}
