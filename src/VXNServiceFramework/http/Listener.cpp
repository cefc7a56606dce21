#include "VXNServiceFramework/http/Listener.h"

#include <unistd.h>

Listener::Listener(RequestRouter& router, ThreadGroup&, QObject* parent, quint16 port,
                   const ListenerLimits& limits, const QHostAddress& address)
    : QTcpServer(parent), m_bodyBudget(limits.connection.maxBufferedBodyBytes) {
    setListenBacklogSize(limits.listenBacklog);
    if (!listen(address, port)) {
        return;
    }
    // The poller accepts from here on, not this thread's event loop.
    pauseAccepting();
    m_workers = std::make_unique<RequestWorkers>(
        router, limits.maxConnections, limits.connection.writeTimeoutMs,
        [this](int fd, bool written) { m_poller->answered(fd, written); },
        limits.connection.processingNoticeMs);
    ConnectionPoller::Limits pollerLimits;
    pollerLimits.readTimeoutMs = limits.connection.readTimeoutMs;
    pollerLimits.closeTimeoutMs = limits.connection.closeTimeoutMs;
    pollerLimits.maxOpenConnections = limits.maxOpenConnections;
    pollerLimits.reader.maxHeaderBytes = limits.connection.maxHeaderBytes;
    pollerLimits.reader.maxBodyBytes = limits.connection.maxBodyBytes;
    pollerLimits.reader.bodyBudget = &m_bodyBudget;
    pollerLimits.reader.freeBodyBytes = limits.connection.freeBodyBytes;
    m_poller = std::make_unique<ConnectionPoller>(
        static_cast<int>(socketDescriptor()), pollerLimits,
        [this](ReadRequest request) { m_workers->submit(std::move(request)); });
    m_poller->start();
}

Listener::~Listener() {
    // Nothing new reaches the serving threads; those at work give their connections back to
    // the poller, which closes them all.
    if (m_poller) {
        m_poller->stop();
    }
    m_workers.reset();
    m_poller.reset();
}

void Listener::incomingConnection(qintptr socketDescriptor) {
    // Accepting is the poller's; a connection taken here by the event loop is not served.
    ::close(static_cast<int>(socketDescriptor));
}
