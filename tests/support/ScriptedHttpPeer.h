#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class QTcpSocket;

// An HTTP peer on 127.0.0.1 (port 0) served by its own thread, one connection at a time. It
// records every request it receives and answers as told: queued replies first, then the
// responder, else an empty 200.
class ScriptedHttpPeer {
public:
    struct Request {
        QByteArray head; // request line and header lines, as received
        QString method;
        QString target;
        QList<QPair<QString, QString>> headers;
        QByteArray body;
        QString header(const QString& name) const; // case-insensitive, empty when absent
    };

    struct Reply {
        QByteArray bytes;   // sent as they are
        int delayMs = 0;    // before answering
        bool close = true;  // close after answering; false keeps the connection until stop
        bool answer = true; // false: close without sending anything
    };

    // "HTTP/1.1 200 OK", Content-Length and the body.
    static Reply ok(const QByteArray& body);
    static Reply raw(const QByteArray& bytes);

    ScriptedHttpPeer();
    ~ScriptedHttpPeer();

    ScriptedHttpPeer(const ScriptedHttpPeer&) = delete;
    ScriptedHttpPeer& operator=(const ScriptedHttpPeer&) = delete;

    quint16 port() const { return m_port; }
    QUrl url() const; // http://127.0.0.1:<port>/

    void enqueue(Reply reply);
    void setResponder(std::function<Reply(const Request&)> responder);

    std::vector<Request> requests() const;
    // Waits until at least `count` requests were received; false after `msecs`.
    bool waitForRequests(int count, int msecs = 5000) const;

private:
    void serve();
    void serveConnection(QTcpSocket& socket);
    Reply replyFor(const Request& request);

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_received;
    std::deque<Reply> m_queue;
    std::function<Reply(const Request&)> m_responder;
    std::vector<Request> m_requests;
    std::atomic<bool> m_stop{false};
    std::atomic<quint16> m_port{0};
    std::thread m_thread;
};
