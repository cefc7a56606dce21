#pragma once

#include <QAbstractSocket>
#include <QByteArray>
#include <QString>
#include <QUrl>
#include <atomic>
#include <exception>

// The connection to the peer could not be established in time.
class ConnectionError : public std::exception {
public:
    explicit ConnectionError(
        QAbstractSocket::SocketError reason = QAbstractSocket::UnknownSocketError)
        : m_reason(reason) {}
    const char* what() const noexcept override { return "ConnectionError"; }
    // Why: refused, host not found, time-out ...
    QAbstractSocket::SocketError reason() const { return m_reason; }

private:
    QAbstractSocket::SocketError m_reason;
};

// The peer accepted but the exchange failed: a write failure, no answer in time, a failed
// read, a short body or a malformed response head.
class CommunicationError : public std::exception {
public:
    const char* what() const noexcept override { return "CommunicationError"; }
};

struct HttpClientLimits {
    int connectTimeoutMs = 10000;
    int writeTimeoutMs = 30000;
    int readTimeoutMs = 120000; // each wait for bytes of the answer
    // A server at work sends an interim answer every 30 s; past this many the exchange fails,
    // so a server that never finishes cannot hold the caller for ever (four hours).
    int maxInterimAnswers = 480;
    // When set and turned true, the exchange's waits for bytes to go or come end within a
    // moment with the failure their time-out would give (a connect attempt still runs to its
    // own end): a stopping process does not wait out a peer that does not answer.
    const std::atomic<bool>* abandon = nullptr;
};

// Sends one request per connection: "GET <command> HTTP/1.1" with Content-Length and the body,
// to the host and port of the URL (its path is not used). Safe to use from any thread; each
// send has its own socket.
class HttpClient {
public:
    explicit HttpClient(const HttpClientLimits& limits = {}) : m_limits(limits) {}

    // The answer's body; empty when not waiting for it or when the answer has no
    // Content-Length.
    QByteArray send(const QUrl& url, const QString& command, const QByteArray& body,
                    bool waitForResponse) const;

    // As send(), and also the raw head of the answer (status line and header lines).
    QByteArray send(const QUrl& url, const QString& command, const QByteArray& body,
                    QByteArray& responseHead) const;

private:
    HttpClientLimits m_limits;
};
