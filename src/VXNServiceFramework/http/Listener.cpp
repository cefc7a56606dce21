#include "VXNServiceFramework/http/Listener.h"

#include "VXNServiceFramework/threads/ThreadGroup.h"

#include <unistd.h>

namespace {
constexpr int SlotPollMs = 5;
}

Listener::Listener(RequestRouter& router, ThreadGroup& group, QObject* parent, quint16 port,
                   const ListenerLimits& limits)
    : QTcpServer(parent), m_router(router), m_group(group), m_limits(limits),
      m_active(std::make_shared<std::atomic<int>>(0)) {
    m_slotPoll.setInterval(SlotPollMs);
    QObject::connect(&m_slotPoll, &QTimer::timeout, this, [this] { serveWaiting(); });
    setListenBacklogSize(m_limits.listenBacklog);
    listen(QHostAddress::AnyIPv4, port);
}

Listener::~Listener() {
    for (const qintptr descriptor : m_waiting) {
        ::close(static_cast<int>(descriptor));
    }
}

void Listener::incomingConnection(qintptr socketDescriptor) {
    if (!m_waiting.empty() || activeConnections() >= m_limits.maxConnections) {
        // The server keeps accepting until the backlog is empty even after a pause, so the
        // few taken meanwhile wait here; the rest stay in the operating system's backlog.
        m_waiting.push_back(socketDescriptor);
        if (!m_slotPoll.isActive()) {
            pauseAccepting();
            m_slotPoll.start();
        }
        return;
    }
    serve(socketDescriptor);
}

void Listener::serve(qintptr socketDescriptor) {
    m_active->fetch_add(1, std::memory_order_acq_rel);
    auto* connection =
        new Connection(m_router, &m_group, socketDescriptor, m_limits.connection,
                       [active = m_active] { active->fetch_sub(1, std::memory_order_acq_rel); });
    connection->start(); // owned by the group from here on
}

void Listener::serveWaiting() {
    while (!m_waiting.empty() && activeConnections() < m_limits.maxConnections) {
        const qintptr next = m_waiting.front();
        m_waiting.pop_front();
        serve(next);
    }
    if (m_waiting.empty()) {
        m_slotPoll.stop();
        resumeAccepting();
    }
}
