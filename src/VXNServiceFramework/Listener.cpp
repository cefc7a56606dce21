#include "VXNServiceFramework/Listener.h"

#include "VXNServiceFramework/ThreadGroup.h"

#include <QMutex>
#include <unistd.h>

// Lets connection threads tell the listener that they ended, for as long as it exists.
struct Listener::Link {
    QMutex mutex;
    Listener* listener = nullptr;

    void notifyEnded() {
        QMutexLocker lock(&mutex);
        if (listener != nullptr) {
            QMetaObject::invokeMethod(
                listener, [l = listener] { l->connectionEnded(); }, Qt::QueuedConnection);
        }
    }
};

Listener::Listener(RequestRouter& router, ThreadGroup& group, QObject* parent, quint16 port,
                   const ListenerLimits& limits)
    : QTcpServer(parent), m_router(router), m_group(group), m_limits(limits),
      m_link(std::make_shared<Link>()) {
    m_link->listener = this;
    setListenBacklogSize(m_limits.listenBacklog);
    listen(QHostAddress::AnyIPv4, port);
}

Listener::~Listener() {
    {
        QMutexLocker lock(&m_link->mutex);
        m_link->listener = nullptr;
    }
    for (const qintptr descriptor : m_waiting) {
        ::close(static_cast<int>(descriptor));
    }
}

void Listener::incomingConnection(qintptr socketDescriptor) {
    if (m_active.load(std::memory_order_acquire) >= m_limits.maxConnections) {
        // The server keeps accepting until the backlog is empty even after a pause, so the
        // few taken meanwhile wait here; the rest stay in the operating system's backlog.
        m_waiting.push_back(socketDescriptor);
        if (!m_paused) {
            m_paused = true;
            pauseAccepting();
        }
        return;
    }
    serve(socketDescriptor);
}

void Listener::serve(qintptr socketDescriptor) {
    m_active.fetch_add(1, std::memory_order_acq_rel);
    auto* connection = new Connection(m_router, &m_group, socketDescriptor, m_limits.connection,
                                      [link = m_link] { link->notifyEnded(); });
    connection->start(); // owned by the group from here on
}

void Listener::connectionEnded() {
    m_active.fetch_sub(1, std::memory_order_acq_rel);
    if (!m_waiting.empty()) {
        const qintptr next = m_waiting.front();
        m_waiting.pop_front();
        serve(next);
    } else if (m_paused) {
        m_paused = false;
        resumeAccepting();
    }
}
