#pragma once

#include "VXNServiceFramework/Thread.h"

#include <QtGlobal>
#include <functional>

class QByteArray;
class QTcpSocket;
class RequestRouter;

// Limits of one served connection. Production values by default; tests shorten them.
struct ConnectionLimits {
    int readTimeoutMs = 30000;  // each wait for bytes of the head or the body
    int writeTimeoutMs = 30000; // each wait for the answer to be written
    int closeTimeoutMs = 30000; // after the answer, how long the peer may keep the connection
    int maxHeaderBytes = 64 * 1024;
    qint64 maxBodyBytes = 64 * 1024 * 1024; // larger Content-Length values are bad requests
};

// One accepted connection, served on its own thread: reads one request, has it routed, writes
// the answer and waits for the peer to close.
class Connection : public Thread {
public:
    Connection(RequestRouter& router, ThreadGroup* group, qintptr socketDescriptor,
               const ConnectionLimits& limits = {}, std::function<void()> onEnd = {});
    ~Connection() override;

    // The body of the answer when no service produced a response: the empty envelope in
    // UTF-16 little-endian without byte-order mark.
    static const QByteArray& emptyEnvelope();

protected:
    void run() override;

private:
    class BadRequest;

    QByteArray readRequest(QTcpSocket& socket, QString& command);
    QByteArray answer(const QString& command, const QByteArray& body);
    bool waitForBytes(QTcpSocket& socket, int msecs);
    void write(QTcpSocket& socket, const QByteArray& bytes);
    void awaitPeerClose(QTcpSocket& socket);

    RequestRouter& m_router;
    qintptr m_descriptor;
    ConnectionLimits m_limits;
    std::function<void()> m_onEnd;
};
