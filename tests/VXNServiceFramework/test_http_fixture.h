#pragma once

// A Listener served by its own event-loop thread, a scripted router, and a raw loopback client.

#include "VXNServiceFramework/dispatch/RequestRouter.h"
#include "VXNServiceFramework/http/Listener.h"
#include "VXNServiceFramework/packets/Packet.h"
#include "VXNServiceFramework/threads/ThreadGroup.h"
#include "support/CoreApplication.h"
#include "support/TestSemaphore.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace httptest {

// A response whose serialised form is fixed bytes.
class BytesPacket : public Packet {
public:
    explicit BytesPacket(QByteArray bytes) : m_bytes(std::move(bytes)) {}
    void parse(const QByteArray& body) override { m_bytes = body; }
    void serialize(QByteArray& body) override { body = m_bytes; }

private:
    QByteArray m_bytes;
};

// Records what it routes; answers "echo:" + body, null for "Unknown", throws for "Throw"
// (a standard exception) and "ThrowAnything" (not one).
// With a gate, every call first announces itself and waits for a permit.
class ScriptedRouter : public RequestRouter {
public:
    struct Call {
        QString command;
        QByteArray body;
    };

    std::unique_ptr<Packet> route(const QString& command, const QByteArray& body) override {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
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
        if (command == QLatin1String("ThrowAnything")) {
            throw 42;
        }
        return std::make_unique<BytesPacket>("echo:" + body);
    }

    std::vector<Call> calls() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_calls;
    }

    std::atomic<bool> gated{false};
    TestSemaphore entered;
    TestSemaphore permits;

private:
    mutable std::mutex m_mutex;
    std::vector<Call> m_calls;
};

// Listener and connection group living on a thread of their own with an event loop, as they
// do on the application's main thread. Only standard synchronisation crosses threads here, so
// ThreadSanitizer sees every ordering.
class ServerThread {
public:
    ServerThread(RequestRouter& router, const ListenerLimits& limits) {
        ensureCoreApplication();
        // A QThread, not a std::thread: socket notifiers need a thread Qt started.
        m_thread.reset(QThread::create([this, &router, limits] { serve(router, limits); }));
        m_thread->start();
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [&] { return m_ready; });
    }

    ~ServerThread() {
        m_stop = true;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(lock, [&] { return m_finished; });
        }
        m_thread->wait();
    }

    quint16 port() const { return m_port; }
    int activeConnections() const { return m_listener->activeConnections(); }
    int openConnections() const { return m_listener->openConnections(); }

private:
    void serve(RequestRouter& router, const ListenerLimits& limits) {
        {
            auto group = std::make_unique<ThreadGroup>();
            auto listener = std::make_unique<Listener>(router, *group, nullptr, 0, limits);
            QEventLoop loop;
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
                if (m_stop) {
                    loop.quit();
                }
            });
            poll.start(10);
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_group = group.get();
                m_listener = listener.get();
                m_port = listener->isListening() ? listener->serverPort() : 0;
                m_ready = true;
                m_changed.notify_all();
            }
            loop.exec();
            listener.reset();
            group.reset();
        }
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_finished = true;
            m_changed.notify_all(); // under the lock: the waiter may destroy the condition
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_ready = false;
    bool m_finished = false;
    std::atomic<bool> m_stop{false};
    quint16 m_port = 0;
    ThreadGroup* m_group = nullptr;
    Listener* m_listener = nullptr;
    std::unique_ptr<QThread> m_thread;
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

} // namespace httptest
