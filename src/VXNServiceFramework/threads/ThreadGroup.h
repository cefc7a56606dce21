#pragma once

#include <QEvent>
#include <QObject>
#include <mutex>
#include <vector>

class Thread;

// Posted to a group when the run of one of its threads has ended.
class DeleteThreadEvent : public QEvent {
public:
    static constexpr QEvent::Type EventType = static_cast<QEvent::Type>(1002);

    explicit DeleteThreadEvent(Thread* thread) : QEvent(EventType), m_thread(thread) {}
    Thread* thread() const { return m_thread; }

private:
    Thread* m_thread;
};

// Owns a set of threads: deletes each one on its own (the group's) thread once the run has
// ended, and on destruction asks every member still running to stop, wakes it and waits for
// it. The event loop of the group's thread must run for finished members to be reclaimed.
class ThreadGroup : public QObject {

public:
    explicit ThreadGroup(QObject* parent = nullptr);
    ~ThreadGroup() override;

    // Members not yet deleted (running, finished and waiting for deletion, or never started).
    int size() const;

    bool event(QEvent* event) override;

private:
    friend class Thread;

    void add(Thread* thread);

    mutable std::mutex m_mutex;
    std::vector<Thread*> m_members;
};
