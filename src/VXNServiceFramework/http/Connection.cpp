#include "VXNServiceFramework/http/Connection.h"

#include "VXNServiceFramework/app/Log.h"
#include "VXNServiceFramework/dispatch/RequestRouter.h"
#include "VXNServiceFramework/http/HTTPHeader.h"
#include "VXNServiceFramework/http/HTTPParser.h"
#include "VXNServiceFramework/http/SocketStream.h"
#include "VXNServiceFramework/packets/Packet.h"

#include <QDeadlineTimer>

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
      m_onEnd(std::move(onEnd)) {
    setStackSize(m_limits.threadStackBytes);
}

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

    SocketStream socket(m_descriptor);
    QByteArray response;
    try {
        QString command;
        const QByteArray body = readRequest(socket, command);
        response = answer(command, body);
    } catch (const BadRequest&) {
        response = headerBytes(400, QStringLiteral("Bad request"), 0);
    }
    socket.write(response, m_limits.writeTimeoutMs);
    awaitPeerClose(socket);
}

QByteArray Connection::readRequest(SocketStream& socket, QString& command) {
    HTTPRequestParser parser;
    parser.setMaxHeaderBytes(m_limits.maxHeaderBytes);
    try {
        while (parser.state() == HTTPParser::ReadingHeader) {
            const QByteArray piece = readSome(socket, 4096, m_limits.readTimeoutMs);
            if (piece.isEmpty()) {
                throw BadRequest();
            }
            // Whatever follows the head stays in the parser as the start of the body.
            parser.feed(piece);
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
        // Bytes beyond the announced length are left unread.
        const QByteArray piece = readSome(socket, length - body.size(), m_limits.readTimeoutMs);
        if (piece.isEmpty()) {
            throw BadRequest();
        }
        body += piece;
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

QByteArray Connection::readSome(SocketStream& socket, qsizetype max, int msecs) {
    const QDeadlineTimer deadline(msecs);
    for (;;) {
        QByteArray bytes = socket.read(max);
        if (!bytes.isEmpty() || !socket.isOpen()) {
            return bytes;
        }
        if (isStopRequested()) {
            throw TerminateThreadException();
        }
        const qint64 left = deadline.remainingTime();
        if (left == 0) {
            return {};
        }
        socket.waitReadable(static_cast<int>(std::min<qint64>(left, WaitSliceMs)));
    }
}

void Connection::awaitPeerClose(SocketStream& socket) {
    // Whatever the peer still sends is not read as a request.
    const QDeadlineTimer deadline(m_limits.closeTimeoutMs);
    while (socket.isOpen() && !deadline.hasExpired()) {
        readSome(socket, 4096, static_cast<int>(deadline.remainingTime()));
    }
}
