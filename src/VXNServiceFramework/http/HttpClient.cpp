#include "VXNServiceFramework/http/HttpClient.h"

#include "VXNServiceFramework/http/HTTPHeader.h"
#include "VXNServiceFramework/http/HTTPParser.h"

#include <QDeadlineTimer>
#include <QTcpSocket>
#include <algorithm>
#include <memory>

namespace {

constexpr quint16 DefaultHttpPort = 80;
constexpr qint64 InitialBodyReserve = 16 * 1024 * 1024;
// How often a wait that may be abandoned looks at its flag.
constexpr int AbandonCheckMs = 50;

class Exchange {
public:
    Exchange(const HttpClientLimits& limits, const QUrl& url) : m_limits(limits) {
        m_socket.connectToHost(url.host(), static_cast<quint16>(url.port(DefaultHttpPort)));
        // Not sliced: a connect wait that times out drops the attempt.
        if (!m_socket.waitForConnected(m_limits.connectTimeoutMs)) {
            throw ConnectionError(m_socket.error());
        }
    }

    ~Exchange() { m_socket.abort(); }

    void write(const QByteArray& bytes) {
        if (m_socket.write(bytes) != bytes.size()) {
            throw CommunicationError();
        }
        while (m_socket.bytesToWrite() > 0) {
            if (!waitUpTo(m_limits.writeTimeoutMs,
                          [this](int ms) { return m_socket.waitForBytesWritten(ms); })) {
                throw CommunicationError();
            }
        }
    }

    void finishWriting() { m_socket.disconnectFromHost(); }

    QByteArray readResponse(QByteArray* head) {
        // Interim answers (a server still at work says so) come before the final one; each
        // resets the read limit, as any bytes do.
        QByteArray unread;
        std::unique_ptr<HTTPResponseParser> parser;
        QByteArray headBytes;
        int interimAnswers = 0;
        do {
            if (interimAnswers++ > m_limits.maxInterimAnswers) {
                throw CommunicationError();
            }
            parser = std::make_unique<HTTPResponseParser>();
            headBytes = readHead(*parser, unread);
            unread = parser->remaining();
        } while (parser->isInterim());
        if (head != nullptr) {
            *head = headBytes.left(headBytes.size() - unread.size());
        }
        return readBody(*parser);
    }

private:
    // Feeds `unread` and then the socket's bytes until the head is complete; returns what was
    // fed.
    QByteArray readHead(HTTPResponseParser& parser, const QByteArray& unread) {
        QByteArray headBytes = unread;
        try {
            parser.feed(unread);
            while (parser.state() == HTTPParser::ReadingHeader) {
                waitForBytes();
                const QByteArray piece = m_socket.read(4096);
                if (piece.isEmpty()) {
                    throw CommunicationError();
                }
                parser.feed(piece);
                headBytes += piece;
            }
        } catch (const HTTPParser::ParsingError&) {
            throw CommunicationError();
        }
        return headBytes;
    }

    QByteArray readBody(const HTTPResponseParser& parser) {
        const QString lengthName = QStringLiteral("Content-Length");
        if (!parser.hasHeader(lengthName)) {
            return {};
        }
        // A length that is not a number is no length: the body cannot be told from the rest.
        const qint64 length = HTTPParser::parseContentLength(parser.headerValue(lengthName));
        if (length < 0) {
            throw CommunicationError();
        }
        // Room for the announced length only up to a bound; past it the body grows with what
        // actually arrives, so a false length cannot make us allocate it.
        QByteArray body = parser.remaining().left(length);
        body.reserve(std::min<qint64>(length, InitialBodyReserve));
        while (body.size() < length) {
            waitForBytes();
            const qsizetype have = body.size();
            body.resize(have + std::min(length - have, m_socket.bytesAvailable()));
            const qint64 got = m_socket.read(body.data() + have, body.size() - have);
            if (got < 0) {
                throw CommunicationError();
            }
            body.resize(have + got);
        }
        return body;
    }

    void waitForBytes() {
        if (m_socket.bytesAvailable() == 0 && !waitUpTo(m_limits.readTimeoutMs, [this](int ms) {
                return m_socket.waitForReadyRead(ms);
            })) {
            throw CommunicationError();
        }
    }

    // A wait for bytes to come or go of up to `totalMs`, in short slices while it may be
    // abandoned (a timed-out slice keeps the connection); false on time-out, failure or abandon.
    template <class Wait> bool waitUpTo(int totalMs, Wait wait) {
        if (m_limits.abandon == nullptr)
            return wait(totalMs);
        const QDeadlineTimer deadline(totalMs);
        for (;;) {
            if (m_limits.abandon->load(std::memory_order_acquire))
                return false;
            const qint64 left = deadline.remainingTime(); // -1: no limit
            if (wait(left < 0 ? AbandonCheckMs
                              : static_cast<int>(std::min<qint64>(left, AbandonCheckMs))))
                return true;
            if (m_socket.error() != QAbstractSocket::SocketTimeoutError ||
                m_socket.state() != QAbstractSocket::ConnectedState || deadline.hasExpired())
                return false;
        }
    }

    const HttpClientLimits& m_limits;
    QTcpSocket m_socket;
};

QByteArray requestBytes(const QString& command, const QByteArray& body) {
    HTTPRequestHeader header(QStringLiteral("GET"), command);
    header.addHeader(QStringLiteral("Content-Length"), QString::number(body.size()));
    return header.toByteArray();
}

} // namespace

QByteArray HttpClient::send(const QUrl& url, const QString& command, const QByteArray& body,
                            bool waitForResponse) const {
    Exchange exchange(m_limits, url);
    exchange.write(requestBytes(command, body));
    exchange.write(body);
    if (!waitForResponse) {
        exchange.finishWriting();
        return {};
    }
    return exchange.readResponse(nullptr);
}

QByteArray HttpClient::send(const QUrl& url, const QString& command, const QByteArray& body,
                            QByteArray& responseHead) const {
    Exchange exchange(m_limits, url);
    exchange.write(requestBytes(command, body));
    exchange.write(body);
    return exchange.readResponse(&responseHead);
}
