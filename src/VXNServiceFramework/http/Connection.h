#pragma once

#include "VXNServiceFramework/threads/Thread.h"

#include <QtGlobal>
#include <functional>

class QByteArray;
class SocketStream;
class RequestRouter;

// Limits of one served connection. Production values by default; tests shorten them.
struct ConnectionLimits {
    int readTimeoutMs = 30000;  // each wait for bytes of the head or the body
    int writeTimeoutMs = 30000; // each wait for the answer to be written
    int closeTimeoutMs = 30000; // after the answer, how long the peer may keep the connection
    int maxHeaderBytes = 64 * 1024;
    qint64 maxBodyBytes = 64 * 1024 * 1024; // larger Content-Length values are bad requests
    // Stack of a connection thread, on which the handler runs. Smaller than the platform's
    // 8 MiB so that the C library keeps more of them for reuse (a thread per request);
    // still far above what XML parsing and transformation need. 0: the platform's.
    unsigned threadStackBytes = DefaultThreadStackBytes;

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    static constexpr unsigned DefaultThreadStackBytes = 0; // sanitizers need larger frames
#else
    static constexpr unsigned DefaultThreadStackBytes = 2 * 1024 * 1024;
#endif
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

    QByteArray readRequest(SocketStream& socket, QString& command);
    QByteArray answer(const QString& command, const QByteArray& body);
    // Reads what is there, waiting up to `msecs` for it; empty after a time-out or a close.
    QByteArray readSome(SocketStream& socket, qsizetype max, int msecs);
    void awaitPeerClose(SocketStream& socket);

    RequestRouter& m_router;
    qintptr m_descriptor;
    ConnectionLimits m_limits;
    std::function<void()> m_onEnd;
};
