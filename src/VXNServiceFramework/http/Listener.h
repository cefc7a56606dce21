#pragma once

#include "VXNServiceFramework/http/Connection.h"

#include <QTcpServer>
#include <QTimer>
#include <atomic>
#include <deque>
#include <memory>

class RequestRouter;
class ThreadGroup;

struct ListenerLimits {
    // Connections served at once; beyond it new peers wait until one ends.
    int maxConnections = 512;
    // Peers the operating system may hold for us while we do not accept.
    int listenBacklog = 1024;
    ConnectionLimits connection;
};

// Accepts connections on all local IPv4 addresses and serves each on its own thread, a
// member of the given group. Runs on the event loop of the thread that creates it.
class Listener : public QTcpServer {
public:
    Listener(RequestRouter& router, ThreadGroup& group, QObject* parent, quint16 port,
             const ListenerLimits& limits = {});
    ~Listener() override;

    // Connections started and not yet ended.
    int activeConnections() const { return m_active->load(std::memory_order_acquire); }

protected:
    void incomingConnection(qintptr socketDescriptor) override;

private:
    void serve(qintptr socketDescriptor);
    void serveWaiting();

    RequestRouter& m_router;
    ThreadGroup& m_group;
    ListenerLimits m_limits;
    // Shared with the connections, which may outlive the listener.
    std::shared_ptr<std::atomic<int>> m_active;
    // Accepted while all slots were taken; served as slots free up, in order.
    std::deque<qintptr> m_waiting;
    // Runs only while accepting is paused, to notice freed slots.
    QTimer m_slotPoll;
};
