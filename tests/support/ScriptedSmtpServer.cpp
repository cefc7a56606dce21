#include "support/ScriptedSmtpServer.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <memory>

namespace {

// Client bytes not yet consumed by a step, read through the socket as steps need them.
class ClientReader {
public:
    explicit ClientReader(QTcpSocket& socket, QByteArray& transcript, std::mutex& mutex)
        : m_socket(socket), m_transcript(transcript), m_mutex(mutex) {}

    // Bytes up to and including the first occurrence of terminator; empty on time-out/close.
    QByteArray ReadUntil(QByteArrayView terminator, int timeoutMs) {
        QElapsedTimer timer;
        timer.start();
        for (;;) {
            const qsizetype at = m_pending.indexOf(terminator);
            if (at >= 0) {
                QByteArray chunk = m_pending.left(at + terminator.size());
                m_pending.remove(0, chunk.size());
                return chunk;
            }
            const qint64 left = timeoutMs - timer.elapsed();
            if (left <= 0 || !fill(int(left)))
                return {};
        }
    }

    // Reads until the client closes or the time-out passes.
    void Drain(int timeoutMs) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < timeoutMs && fill(int(timeoutMs - timer.elapsed()))) {
        }
    }

private:
    bool fill(int timeoutMs) {
        if (m_socket.bytesAvailable() == 0 && !m_socket.waitForReadyRead(timeoutMs))
            return false;
        const QByteArray chunk = m_socket.readAll();
        m_pending += chunk;
        std::lock_guard lock(m_mutex);
        m_transcript += chunk;
        return true;
    }

    QTcpSocket& m_socket;
    QByteArray& m_transcript;
    std::mutex& m_mutex;
    QByteArray m_pending;
};

void sendSegment(QTcpSocket& socket, const QByteArray& bytes) {
    socket.write(bytes);
    while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(1000)) {
    }
}

} // namespace

ScriptedSmtpServer::ScriptedSmtpServer(QStringList script)
    : m_script(std::move(script)), m_thread([this] { run(); }) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_listening || m_finished; });
}

ScriptedSmtpServer::~ScriptedSmtpServer() {
    if (m_thread.joinable())
        m_thread.join();
}

bool ScriptedSmtpServer::WaitFinished(int milliseconds) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(milliseconds),
                              [this] { return m_finished; });
}

QStringList ScriptedSmtpServer::Failures() const {
    std::lock_guard lock(m_mutex);
    return m_failures;
}

QByteArray ScriptedSmtpServer::Received() const {
    std::lock_guard lock(m_mutex);
    return m_received;
}

QByteArray ScriptedSmtpServer::Data() const {
    std::lock_guard lock(m_mutex);
    return m_data;
}

int ScriptedSmtpServer::Connections() const {
    std::lock_guard lock(m_mutex);
    return m_connections;
}

void ScriptedSmtpServer::fail(const QString& failure) {
    std::lock_guard lock(m_mutex);
    m_failures.append(failure);
}

void ScriptedSmtpServer::run() {
    QTcpServer server;
    const bool listening = server.listen(QHostAddress::LocalHost, 0);
    {
        std::lock_guard lock(m_mutex);
        m_port = server.serverPort();
        m_listening = listening;
        if (!listening)
            m_failures.append(QStringLiteral("cannot listen: ") + server.errorString());
        m_finished = !listening;
    }
    m_changed.notify_all();
    if (!listening)
        return;

    std::unique_ptr<QTcpSocket> client;
    std::unique_ptr<ClientReader> reader;
    auto accept = [&]() {
        if (!server.waitForNewConnection(kStepTimeoutMs)) {
            fail(QStringLiteral("no client connected"));
            return false;
        }
        client.reset(server.nextPendingConnection());
        client->setParent(nullptr);
        reader = std::make_unique<ClientReader>(*client, m_received, m_mutex);
        std::lock_guard lock(m_mutex);
        ++m_connections;
        return true;
    };

    bool ok = accept();
    for (qsizetype step = 0; ok && step < m_script.size(); ++step) {
        const QString& line = m_script.at(step);
        const QChar kind = line.isEmpty() ? QChar() : line.at(0);
        const QByteArray argument = line.mid(3).toUtf8();
        if (kind == u'S') {
            sendSegment(*client, argument + "\r\n");
        } else if (kind == u'R') {
            sendSegment(*client, argument);
            QThread::msleep(30); // so the next bytes travel in a separate segment
        } else if (kind == u'C') {
            const QByteArray got = reader->ReadUntil("\r\n", kStepTimeoutMs);
            if (got.chopped(got.isEmpty() ? 0 : 2) != argument || got.isEmpty()) {
                fail(QStringLiteral("step %1: expected \"%2\", got \"%3\"")
                         .arg(step)
                         .arg(QString::fromUtf8(argument),
                              QString::fromUtf8(got.isEmpty() ? "<nothing>" : got.chopped(2))));
                ok = false;
            }
        } else if (kind == u'D') {
            const QByteArray data = reader->ReadUntil("\r\n.\r\n", kStepTimeoutMs);
            if (data.isEmpty()) {
                fail(QStringLiteral("step %1: no complete DATA stream").arg(step));
                ok = false;
            }
            std::lock_guard lock(m_mutex);
            m_data = data;
        } else if (kind == u'W') {
            QThread::msleep(argument.trimmed().toULong());
        } else if (kind == u'X') {
            client->close();
        } else if (kind == u'A') {
            ok = accept();
        } else {
            fail(QStringLiteral("step %1: unknown step \"%2\"").arg(step).arg(line));
            ok = false;
        }
    }
    if (client && client->state() == QAbstractSocket::ConnectedState)
        reader->Drain(kStepTimeoutMs);
    {
        std::lock_guard lock(m_mutex);
        m_finished = true;
    }
    m_changed.notify_all();
}
