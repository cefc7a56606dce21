#pragma once

#include "VXNServiceFramework/http/ConnectionPoller.h"
#include "VXNServiceFramework/http/RequestWorkers.h"

#include <QHostAddress>
#include <QTcpServer>
#include <memory>

class RequestRouter;
class ThreadGroup;

// Limits of serving one connection. Production values by default; tests shorten them.
struct ConnectionLimits {
    int readTimeoutMs = 30000;  // for reading the whole request, head and body
    int writeTimeoutMs = 30000; // each wait for the answer to be written
    int closeTimeoutMs = 30000; // after the answer, how long the peer may keep the connection
    // While an answer takes longer, an interim answer this often keeps the client's read limit
    // (120 s of silence) from running out; 0 sends none. Close to that limit: a client that reads
    // one head only would take the notice for the answer, and it sees one only where its own
    // limit would have ended the call anyway.
    int processingNoticeMs = 100000;
    int maxHeaderBytes = 64 * 1024;
    qint64 maxBodyBytes = 64 * 1024 * 1024; // larger Content-Length values are bad requests
    // Body bytes all requests may hold at once, from their arrival until they are routed,
    // beyond the first `freeBodyBytes` of each; a body that does not fit is answered 503.
    std::size_t maxBufferedBodyBytes = std::size_t{1024} * 1024 * 1024;
    qint64 freeBodyBytes = 64 * 1024;
};

struct ListenerLimits {
    // Requests served at once; read requests beyond it wait for a serving thread.
    int maxConnections = 512;
    // Connections held open while their request arrives or their peer closes; at the bound
    // the oldest of them is closed to make room.
    int maxOpenConnections = 8192;
    // Peers the operating system may hold for us before we accept them.
    int listenBacklog = 1024;
    ConnectionLimits connection;
};

// Listens on one local address, by default every IPv4 address. Connections are accepted and read by
// a poller thread; each request read whole is served on a thread of a bounded set, which writes the
// answer and gives the connection back to the poller to wait for the peer's close. Requests thus
// never wait behind peers that are slow to send or to close.
class Listener : public QTcpServer {
public:
    // The thread group is not used: serving threads belong to the listener.
    Listener(RequestRouter& router, ThreadGroup& group, QObject* parent, quint16 port,
             const ListenerLimits& limits = {},
             const QHostAddress& address = QHostAddress(QHostAddress::AnyIPv4));
    ~Listener() override;

    // Requests being served right now.
    int activeConnections() const { return m_workers ? m_workers->busy() : 0; }
    // Connections accepted and not yet closed.
    int openConnections() const { return m_poller ? m_poller->openConnections() : 0; }

protected:
    void incomingConnection(qintptr socketDescriptor) override;

private:
    // Outlives the requests that hold parts of it.
    SharedMemoryBudget m_bodyBudget;
    std::unique_ptr<RequestWorkers> m_workers;
    std::unique_ptr<ConnectionPoller> m_poller;
};
