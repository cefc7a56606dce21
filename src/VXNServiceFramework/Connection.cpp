#include "VXNServiceFramework/Connection.h"

#include "VXNServiceFramework/HTTPHeader.h"
#include "VXNServiceFramework/HTTPParser.h"
#include "VXNServiceFramework/Log.h"
#include "VXNServiceFramework/Packet.h"
#include "VXNServiceFramework/RequestRouter.h"

#include <QDeadlineTimer>
#include <QTcpSocket>
#include <unistd.h>

namespace {

// Socket waits are cut into slices so a group shutting down is noticed promptly.
constexpr int WaitSliceMs = 250;

// Every answer says the connection ends with it: one request per connection.
QByteArray headerBytes(int code, const QString& reason, qsizetype contentLength) {
    HTTPResponseHeader header(code, reason);
    header.addHeader(QStringLiteral("Content-Length"), QString::number(contentLength));
    header.addHeader(QStringLiteral("Connection"), QStringLiteral("close"));
    return header.toByteArray();
}

} // namespace

// The request cannot be read: answered with 400.
class Connection::BadRequest {};

Connection::Connection(RequestRouter& router, ThreadGroup* group, qintptr socketDescriptor,
                       const ConnectionLimits& limits, std::function<void()> onEnd)
    : Thread(group), m_router(router), m_descriptor(socketDescriptor), m_limits(limits),
      m_onEnd(std::move(onEnd)) {}

Connection::~Connection() {
    // Make sure the run is over before members it uses go away.
    wait();
}

const QByteArray& Connection::emptyEnvelope() {
    static const QByteArray bytes = [] {
        const QString text = QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-16\" standalone=\"no\" ?><VXNResponse/>");
        QByteArray out;
        out.reserve(text.size() * 2);
        for (QChar c : text) {
            out += static_cast<char>(c.unicode() & 0xff);
            out += static_cast<char>(c.unicode() >> 8);
        }
        return out;
    }();
    return bytes;
}

void Connection::run() {
    struct EndNotice {
        std::function<void()>& onEnd;
        ~EndNotice() {
            if (onEnd) {
                onEnd();
            }
        }
    } endNotice{m_onEnd};

    QTcpSocket socket;
    if (!socket.setSocketDescriptor(m_descriptor, QAbstractSocket::ConnectedState,
                                    QIODevice::ReadWrite)) {
        ::close(static_cast<int>(m_descriptor));
        return;
    }
    QByteArray response;
    try {
        QString command;
        const QByteArray body = readRequest(socket, command);
        response = answer(command, body);
    } catch (const BadRequest&) {
        response = headerBytes(400, QStringLiteral("Bad request"), 0);
    }
    write(socket, response);
    awaitPeerClose(socket);
}

QByteArray Connection::readRequest(QTcpSocket& socket, QString& command) {
    HTTPRequestParser parser;
    parser.setMaxHeaderBytes(m_limits.maxHeaderBytes);
    try {
        while (parser.state() == HTTPParser::ReadingHeader) {
            if (socket.bytesAvailable() == 0 && !waitForBytes(socket, m_limits.readTimeoutMs)) {
                throw BadRequest();
            }
            // Whatever follows the head stays in the parser as the start of the body.
            parser.feed(socket.read(4096));
        }
    } catch (const HTTPParser::ParsingError&) {
        throw BadRequest();
    }
    const QString lengthName = QStringLiteral("Content-Length");
    if (!parser.hasHeader(lengthName)) {
        throw BadRequest();
    }
    bool ok = false;
    qint64 length = parser.headerValue(lengthName).toLongLong(&ok, 10);
    if (!ok) {
        length = 0; // not a number: no body
    }
    if (length < 0 || length > m_limits.maxBodyBytes) {
        throw BadRequest();
    }
    QByteArray body = parser.remaining().left(length);
    body.reserve(length);
    while (body.size() < length) {
        if (socket.bytesAvailable() == 0 && !waitForBytes(socket, m_limits.readTimeoutMs)) {
            throw BadRequest();
        }
        // Bytes beyond the announced length are left unread.
        body += socket.read(length - body.size());
    }
    command = parser.path();
    command.remove(QLatin1Char('/'));
    return body;
}

QByteArray Connection::answer(const QString& command, const QByteArray& body) {
    QByteArray content;
    try {
        std::unique_ptr<Packet> response = m_router.route(command, body);
        if (!response) {
            return headerBytes(200, QStringLiteral("OK"), emptyEnvelope().size()) + emptyEnvelope();
        }
        response->serialize(content);
    } catch (const std::exception& e) {
        // A response that cannot be produced must not pass for an empty success: the peer's
        // client reads the missing body as a wrong response format.
        VELM_ERR << "Request " << command << " failed: " << e.what();
        return headerBytes(500, QStringLiteral("Internal server error"), 0);
    }
    return headerBytes(200, QStringLiteral("OK"), content.size()) + content;
}

bool Connection::waitForBytes(QTcpSocket& socket, int msecs) {
    const QDeadlineTimer deadline(msecs);
    for (;;) {
        if (isStopRequested()) {
            throw TerminateThreadException();
        }
        const qint64 left = deadline.remainingTime();
        if (left == 0) {
            return false;
        }
        if (socket.waitForReadyRead(static_cast<int>(std::min<qint64>(left, WaitSliceMs)))) {
            return true;
        }
        if (socket.state() != QAbstractSocket::ConnectedState) {
            return false;
        }
    }
}

void Connection::write(QTcpSocket& socket, const QByteArray& bytes) {
    socket.write(bytes);
    while (socket.bytesToWrite() > 0) {
        if (isStopRequested()) {
            throw TerminateThreadException();
        }
        if (!socket.waitForBytesWritten(m_limits.writeTimeoutMs)) {
            return;
        }
    }
}

void Connection::awaitPeerClose(QTcpSocket& socket) {
    const QDeadlineTimer deadline(m_limits.closeTimeoutMs);
    while (socket.state() == QAbstractSocket::ConnectedState) {
        socket.readAll(); // whatever the peer still sends is not read as a request
        if (!waitForBytes(socket, static_cast<int>(deadline.remainingTime()))) {
            break;
        }
    }
    socket.close();
}
