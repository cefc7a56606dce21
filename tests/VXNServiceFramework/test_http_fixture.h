#pragma once

// A Listener served by its own event-loop thread, a scripted router, and a raw loopback client.

#include "VXNServiceFramework/Listener.h"
#include "VXNServiceFramework/Packet.h"
#include "VXNServiceFramework/RequestRouter.h"
#include "VXNServiceFramework/ThreadGroup.h"
#include "support/CoreApplication.h"

#include <QDeadlineTimer>
#include <QMutex>
#include <QSemaphore>
#include <QTcpSocket>
#include <QThread>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

// A response whose serialised form is fixed bytes.
class BytesPacket : public Packet {
public:
    explicit BytesPacket(QByteArray bytes) : m_bytes(std::move(bytes)) {}
    void parse(const QByteArray& body) override { m_bytes = body; }
    void serialize(QByteArray& body) override { body = m_bytes; }

private:
    QByteArray m_bytes;
};

// Records what it routes; answers "echo:" + body, null for "Unknown", throws for "Throw".
// With a gate, every call first announces itself and waits for a permit.
class ScriptedRouter : public RequestRouter {
public:
    struct Call {
        QString command;
        QByteArray body;
    };

    std::unique_ptr<Packet> route(const QString& command, const QByteArray& body) override {
        {
            QMutexLocker lock(&m_mutex);
            m_calls.push_back({command, body});
        }
        if (gated) {
            entered.release();
            permits.acquire();
        }
        if (command == QLatin1String("Unknown")) {
            return nullptr;
        }
        if (command == QLatin1String("Throw")) {
            throw std::runtime_error("handler failed");
        }
        return std::make_unique<BytesPacket>("echo:" + body);
    }

    std::vector<Call> calls() const {
        QMutexLocker lock(&m_mutex);
        return m_calls;
    }

    bool gated = false;
    QSemaphore entered;
    QSemaphore permits;

private:
    mutable QMutex m_mutex;
    std::vector<Call> m_calls;
};

// Listener and connection group living on a thread of their own with an event loop, as they
// do on the application's main thread.
class ServerThread {
public:
    ServerThread(RequestRouter& router, const ListenerLimits& limits) {
        ensureCoreApplication();
        m_thread.start();
        m_context.moveToThread(&m_thread);
        onThread([&] {
            m_group = std::make_unique<ThreadGroup>();
            m_listener = std::make_unique<Listener>(router, *m_group, nullptr, 0, limits);
        });
    }

    ~ServerThread() {
        onThread([&] {
            m_listener.reset();
            m_group.reset();
        });
        m_thread.quit();
        m_thread.wait();
    }

    quint16 port() const { return m_listener->serverPort(); }
    Listener& listener() { return *m_listener; }
    int groupSize() {
        int size = 0;
        onThread([&] { size = m_group->size(); });
        return size;
    }

    void onThread(const std::function<void()>& work) {
        QMetaObject::invokeMethod(&m_context, work, Qt::BlockingQueuedConnection);
    }

private:
    QThread m_thread;
    QObject m_context;
    std::unique_ptr<ThreadGroup> m_group;
    std::unique_ptr<Listener> m_listener;
};

// A peer that writes raw bytes and reads one answer.
class RawClient {
public:
    explicit RawClient(quint16 port) {
        m_socket.connectToHost(QStringLiteral("127.0.0.1"), port);
        m_socket.waitForConnected(5000);
    }

    bool connected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }

    // Writes `bytes` in pieces of `pieceSize` (all at once when 0), pausing between pieces
    // so they arrive separately.
    void send(const QByteArray& bytes, qsizetype pieceSize = 0) {
        const qsizetype step = pieceSize > 0 ? pieceSize : std::max<qsizetype>(1, bytes.size());
        for (qsizetype at = 0; at < bytes.size(); at += step) {
            m_socket.write(bytes.mid(at, step));
            m_socket.waitForBytesWritten(5000);
            if (pieceSize > 0) {
                QThread::usleep(200);
            }
        }
    }

    // The whole answer: head and, when it announces one, the body.
    QByteArray readAnswer(int msecs = 10000) {
        const QDeadlineTimer deadline(msecs);
        QByteArray data;
        while (!deadline.hasExpired()) {
            const qsizetype headEnd = data.indexOf("\r\n\r\n");
            if (headEnd >= 0) {
                const qsizetype at = data.indexOf("Content-Length:");
                const qsizetype length =
                    at < 0 ? 0 : data.mid(at + 15, data.indexOf("\r\n", at) - at - 15).toLongLong();
                if (data.size() >= headEnd + 4 + length) {
                    return data;
                }
            }
            if (!m_socket.bytesAvailable() &&
                !m_socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())) &&
                m_socket.state() != QAbstractSocket::ConnectedState) {
                data += m_socket.readAll();
                return data;
            }
            data += m_socket.readAll();
        }
        return data;
    }

    // True when the server closes the connection within `msecs`.
    bool waitForServerClose(int msecs) {
        const QDeadlineTimer deadline(msecs);
        while (m_socket.state() == QAbstractSocket::ConnectedState && !deadline.hasExpired()) {
            m_socket.waitForReadyRead(
                static_cast<int>(std::min<qint64>(deadline.remainingTime(), 100)));
            m_socket.readAll();
        }
        return m_socket.state() != QAbstractSocket::ConnectedState;
    }

    void close() { m_socket.abort(); }

private:
    QTcpSocket m_socket;
};

inline QByteArray request(const QByteArray& target, const QByteArray& body) {
    return "GET " + target + " HTTP/1.1\r\nContent-Length:" + QByteArray::number(body.size()) +
           "\r\n\r\n" + body;
}

inline QByteArray answerBody(const QByteArray& answer) {
    return answer.mid(answer.indexOf("\r\n\r\n") + 4);
}
