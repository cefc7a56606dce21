#pragma once

#include "mail/CTRVSMTPMessage.h"
#include "mail/CTRVSMTPSocket.h"

#include <QByteArray>
#include <QString>

// SMTP client over plain TCP (RFC 5321): greeting with HELO or EHLO, optional authentication
// (CRAM-MD5, LOGIN or the PLAIN dialogue), one message per SendMessage, QUIT. All calls block,
// each wait for a piece of a server reply lasting at most Timeout() milliseconds. Every failure
// is one line of text through OnError; some also set the thread's SMTPLastSystemError().
// One object is used by one thread at a time.
class CTRVSMTPConnection {
public:
    enum AuthenticationMethod { AUTH_NONE = 0, AUTH_CRAM_MD5 = 1, AUTH_LOGIN = 2, AUTH_PLAIN = 3 };

    static constexpr quint32 kDefaultTimeout = 60000;
    // Codes left in SMTPLastSystemError() by the client itself.
    static constexpr int kErrorTimedOut = 10060;
    static constexpr int kErrorUnexpectedCode = 10043;
    static constexpr int kErrorHostNotResolved = CTRVSMTPSocket::kResolveFailed;
    static constexpr int kErrorUnexpectedReply = 22;
    static constexpr int kErrorReplyTooLong = 10040;
    static constexpr int kErrorRefusedArgument = 22;
    // A reply is read into a buffer of 256 bytes that grows by 4096 up to a fixed bound, so a
    // server that never ends its reply cannot make the client grow without end.
    static constexpr qsizetype kFirstReplyBuffer = 256;
    static constexpr qsizetype kReplyGrowStep = 4096;
    static constexpr qsizetype kMaxReplySize = 65536;
    static constexpr qsizetype kMaxHostNameLength = 260;

    CTRVSMTPConnection();
    virtual ~CTRVSMTPConnection();
    CTRVSMTPConnection(const CTRVSMTPConnection&) = delete;
    CTRVSMTPConnection& operator=(const CTRVSMTPConnection&) = delete;

    virtual bool OnSendProgress(quint32 sent, quint32 total);
    virtual bool ReadCommandResponse(int expectedCode);
    virtual bool ReadResponse(QByteArray& buffer, qsizetype bufferSize, int expectedCode,
                              bool growable, qsizetype growStep);
    virtual void OnError(const QString& text);

    bool Connect(const QString& host, int method = AUTH_NONE, const QString& user = {},
                 const QString& password = {}, quint16 port = 25, const QString& localAddress = {});
    bool Disconnect(bool sendQuit = true);
    bool SendMessage(const CTRVSMTPMessage& message);
    bool SendRCPTForRecipient(const CTRVSMTPAddress& recipient);
    bool SendBodyPart(const CTRVSMTPBodyPart& part, bool isRoot);

    bool ConnectSMTP(const QByteArray& hostName);
    bool ConnectESMTP(const QByteArray& hostName, const QByteArray& user,
                      const QByteArray& password, int method);
    bool AuthCramMD5(const QByteArray& user, const QByteArray& password);
    bool AuthLogin(const QByteArray& user, const QByteArray& password);
    bool AuthPlain(const QByteArray& user, const QByteArray& password);

    // "auto" (the default) stands for the local machine's host name.
    const QByteArray& HeloHostName() const { return m_heloHostName; }
    void SetHeloHostName(const QByteArray& name) { m_heloHostName = name; }
    quint32 Timeout() const { return m_timeout; }
    void SetTimeout(quint32 milliseconds) { m_timeout = milliseconds; }
    bool IsConnected() const { return m_connected; }
    // The last complete reply without its final CR LF, and its three-digit code.
    const QByteArray& LastResponse() const { return m_lastResponse; }
    int LastResponseCode() const { return m_lastResponseCode; }

private:
    bool send(QByteArrayView data);
    // Header, separator, body and end-of-data mark of SendMessage.
    bool sendMessageContent(const CTRVSMTPMessage& message);
    int waitMilliseconds() const;
    QByteArray challenge() const;
    bool refuseLineBreak(const char* function, const char* what, QByteArrayView value);

    CTRVSMTPSocket m_socket;
    QByteArray m_lastResponse;
    QByteArray m_heloHostName{"auto"};
    bool m_connected = false;
    // A reply did not come within the time-out: the server is not listening to us, so the
    // goodbye is closing the connection, not a QUIT whose reply would be waited for as long.
    bool m_replyTimedOut = false;
    quint32 m_timeout = kDefaultTimeout;
    int m_lastResponseCode = 0;
};
