#include "support/ScriptedHttpPeer.h"

#include "support/CoreApplication.h"

#include <QDeadlineTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <memory>
#include <optional>

namespace {

// Reads one request; the head is parsed here independently of the framework's parser.
std::optional<ScriptedHttpPeer::Request> readRequest(QTcpSocket& socket,
                                                     const std::atomic<bool>& stop) {
    QByteArray data;
    qsizetype headEnd = -1;
    while ((headEnd = data.indexOf("\r\n\r\n")) < 0) {
        if (stop || (!socket.bytesAvailable() && !socket.waitForReadyRead(100) &&
                     socket.state() != QAbstractSocket::ConnectedState)) {
            return std::nullopt;
        }
        data += socket.readAll();
    }
    ScriptedHttpPeer::Request request;
    request.head = data.left(headEnd);
    const QList<QByteArray> lines = request.head.split('\n');
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    request.method = QString::fromLatin1(first.value(0));
    request.target = QString::fromLatin1(first.value(1));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0) {
            request.headers.append({QString::fromLatin1(lines[i].left(colon).trimmed()),
                                    QString::fromLatin1(lines[i].mid(colon + 1).trimmed())});
        }
    }
    const qsizetype length = request.header(QStringLiteral("Content-Length")).toLongLong();
    request.body = data.mid(headEnd + 4);
    while (request.body.size() < length && !stop) {
        if (!socket.bytesAvailable() && !socket.waitForReadyRead(100) &&
            socket.state() != QAbstractSocket::ConnectedState) {
            break;
        }
        request.body += socket.readAll();
    }
    request.body.truncate(length);
    return request;
}

} // namespace

QString ScriptedHttpPeer::Request::header(const QString& name) const {
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0) {
            return value;
        }
    }
    return {};
}

ScriptedHttpPeer::Reply ScriptedHttpPeer::ok(const QByteArray& body) {
    return raw("HTTP/1.1 200 OK\r\nContent-Length:" + QByteArray::number(body.size()) + "\r\n\r\n" +
               body);
}

ScriptedHttpPeer::Reply ScriptedHttpPeer::raw(const QByteArray& bytes) {
    Reply reply;
    reply.bytes = bytes;
    return reply;
}

ScriptedHttpPeer::ScriptedHttpPeer() {
    ensureCoreApplication();
    m_thread = std::thread([this] { serve(); });
    while (m_port == 0) {
        QThread::msleep(1);
    }
}

ScriptedHttpPeer::~ScriptedHttpPeer() {
    m_stop = true;
    m_thread.join();
}

QUrl ScriptedHttpPeer::url() const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(m_port.load()));
}

void ScriptedHttpPeer::enqueue(Reply reply) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_queue.push_back(std::move(reply));
}

void ScriptedHttpPeer::setResponder(std::function<Reply(const Request&)> responder) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_responder = std::move(responder);
}

std::vector<ScriptedHttpPeer::Request> ScriptedHttpPeer::requests() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

bool ScriptedHttpPeer::waitForRequests(int count, int msecs) const {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_received.wait_for(lock, std::chrono::milliseconds(msecs),
                               [&] { return static_cast<int>(m_requests.size()) >= count; });
}

ScriptedHttpPeer::Reply ScriptedHttpPeer::replyFor(const Request& request) {
    std::function<Reply(const Request&)> responder;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_requests.push_back(request);
        m_received.notify_all();
        if (!m_queue.empty()) {
            Reply reply = std::move(m_queue.front());
            m_queue.pop_front();
            return reply;
        }
        responder = m_responder;
    }
    // Unlocked: a responder may take its time (or wait for the test) while the test reads
    // what was received.
    return responder ? responder(request) : ok({});
}

void ScriptedHttpPeer::serve() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    m_port = server.serverPort();
    while (!m_stop) {
        // One wait may accept several connections at once; serve every one of them before
        // waiting again, or callers arriving together would be left hanging.
        if (!server.hasPendingConnections() && !server.waitForNewConnection(50)) {
            continue;
        }
        std::unique_ptr<QTcpSocket> socket(server.nextPendingConnection());
        if (socket) {
            serveConnection(*socket);
        }
    }
}

void ScriptedHttpPeer::serveConnection(QTcpSocket& socket) {
    const std::optional<Request> request = readRequest(socket, m_stop);
    if (!request) {
        return;
    }
    const Reply reply = replyFor(*request);
    const QDeadlineTimer delay(reply.delayMs);
    while (!delay.hasExpired() && !m_stop) {
        QThread::msleep(10);
    }
    if (reply.answer) {
        socket.write(reply.bytes);
        while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(1000)) {
        }
    }
    while (!reply.close && !m_stop && socket.state() == QAbstractSocket::ConnectedState) {
        socket.waitForReadyRead(50);
        socket.readAll();
    }
    socket.disconnectFromHost();
    if (socket.state() != QAbstractSocket::UnconnectedState) {
        socket.waitForDisconnected(1000);
    }
}
