#include "mail/CTRVSMTPConnection.h"

#include "mail/MimeCodecs.h"
#include "mail/SMTPSystemError.h"

#include <QHostInfo>

#include <climits>

namespace {

QString withSystemError(const char* text) {
    return QString::fromLatin1(text) + QString::number(SMTPLastSystemError());
}

int replyCode(QByteArrayView line) {
    int code = 0;
    for (qsizetype i = 0; i < 3 && i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i)
        code = code * 10 + (line[i] - '0');
    return code;
}

// A reply is complete when it ends with CR LF and its last line has a space after the code;
// a hyphen there marks a continuation line (RFC 5321 4.2.1).
qsizetype completeReplyLastLine(QByteArrayView data) {
    if (data.size() <= 5 || !data.endsWith("\r\n"))
        return -1;
    const qsizetype previousEnd = data.first(data.size() - 2).lastIndexOf("\r\n");
    const qsizetype lineStart = previousEnd < 0 ? 0 : previousEnd + 2;
    if (lineStart + 3 < data.size() && data[lineStart + 3] == ' ')
        return lineStart;
    return -1;
}

} // namespace

CTRVSMTPConnection::CTRVSMTPConnection() = default;

CTRVSMTPConnection::~CTRVSMTPConnection() {
    if (m_connected)
        Disconnect(true);
    m_socket.Close();
}

bool CTRVSMTPConnection::OnSendProgress(quint32, quint32) {
    return true;
}

void CTRVSMTPConnection::OnError(const QString&) {}

int CTRVSMTPConnection::waitMilliseconds() const {
    return m_timeout > quint32(INT_MAX) ? INT_MAX : int(m_timeout);
}

bool CTRVSMTPConnection::send(QByteArrayView data) {
    return m_socket.Send(data, waitMilliseconds());
}

QByteArray CTRVSMTPConnection::challenge() const {
    return m_lastResponse.mid(4);
}

bool CTRVSMTPConnection::refuseLineBreak(const char* function, const char* what,
                                         QByteArrayView value) {
    if (!MimeCodecs::ContainsLineBreak(value))
        return false;
    SetSMTPLastSystemError(kErrorRefusedArgument);
    OnError(QStringLiteral("CTRVSMTPConnection::%1, Refused to send %2 containing CR or LF")
                .arg(QLatin1String(function), QLatin1String(what)));
    return true;
}

bool CTRVSMTPConnection::ReadCommandResponse(int expectedCode) {
    QByteArray buffer;
    return ReadResponse(buffer, kFirstReplyBuffer, expectedCode, true, kReplyGrowStep);
}

bool CTRVSMTPConnection::ReadResponse(QByteArray& buffer, qsizetype bufferSize, int expectedCode,
                                      bool growable, qsizetype growStep) {
    buffer.resize(std::max<qsizetype>(bufferSize, 2));
    qsizetype used = 0;
    qsizetype lastLineStart = -1;
    while (lastLineStart < 0) {
        switch (m_socket.WaitReadable(waitMilliseconds())) {
        case CTRVSMTPSocket::WaitResult::Failed:
            return false;
        case CTRVSMTPSocket::WaitResult::TimedOut:
            m_replyTimedOut = true;
            SetSMTPLastSystemError(kErrorTimedOut);
            OnError(QStringLiteral("CTRVSMTPConnection::ReadResponse, Timed Out waiting for "
                                   "response from SMTP server"));
            return false;
        case CTRVSMTPSocket::WaitResult::Readable:
            break;
        }
        // One byte stays free, as for a terminating zero.
        const qsizetype received = m_socket.Receive(buffer.data() + used, buffer.size() - used - 1);
        if (received <= 0)
            return false;
        used += received;
        lastLineStart = completeReplyLastLine(QByteArrayView(buffer.constData(), used));
        if (lastLineStart >= 0 || used < buffer.size() - 1)
            continue;
        if (!growable || buffer.size() >= kMaxReplySize) {
            SetSMTPLastSystemError(kErrorReplyTooLong);
            OnError(QStringLiteral("CTRVSMTPConnection::ReadResponse, Response from SMTP server "
                                   "exceeds %1 bytes")
                        .arg(growable ? kMaxReplySize : buffer.size()));
            return false;
        }
        buffer.resize(std::min(buffer.size() + growStep, kMaxReplySize));
    }
    m_lastResponseCode = replyCode(QByteArrayView(buffer.constData() + lastLineStart, 3));
    m_lastResponse = QByteArray(buffer.constData(), used - 2);
    buffer.truncate(used);
    if (m_lastResponseCode != expectedCode) {
        SetSMTPLastSystemError(kErrorUnexpectedCode);
        return false;
    }
    return true;
}

bool CTRVSMTPConnection::Connect(const QString& host, int method, const QString& user,
                                 const QString& password, quint16 port,
                                 const QString& localAddress) {
    if (host.isEmpty())
        return false;
    const QByteArray userBytes = user.toUtf8();
    const QByteArray passwordBytes = password.toUtf8();
    // Refused before anything goes out: these travel as command arguments.
    if (m_heloHostName != "auto" && refuseLineBreak("Connect", "a HELO host name", m_heloHostName))
        return false;
    if (method == AUTH_PLAIN && (refuseLineBreak("Connect", "a user name", userBytes) ||
                                 refuseLineBreak("Connect", "a password", passwordBytes)))
        return false;

    if (m_connected) {
        m_connected = false;
        m_socket.Close();
    }
    if (!m_socket.Create()) {
        OnError(withSystemError("CTRVSMTPConnection::Connect, Failed to create client socket, "
                                "GetLastError returns: ") +
                QLatin1Char('\n'));
        return false;
    }
    if (!m_socket.Connect(host, port, localAddress, waitMilliseconds())) {
        const int error = SMTPLastSystemError();
        if (localAddress.isEmpty())
            OnError(QStringLiteral("CTRVSMTPConnection::Connect, Could not connect to the SMTP "
                                   "server %1 on port %2, GetLastError returns: %3")
                        .arg(host, QString::number(port), QString::number(error)));
        else
            OnError(QStringLiteral("CTRVSMTPConnection::Connect, Could not connect to the SMTP "
                                   "server %1 on port %2 from LocalAddress:%3, GetLastError "
                                   "returns: %4")
                        .arg(host, QString::number(port), localAddress, QString::number(error)));
        m_socket.Close();
        return false;
    }
    m_connected = true;
    m_replyTimedOut = false;

    if (!ReadCommandResponse(220)) {
        OnError(QStringLiteral(
            "CTRVSMTPConnection::Connect, An unexpected SMTP login response was received"));
        Disconnect(true);
        return false;
    }
    if (m_heloHostName == "auto")
        m_heloHostName = QHostInfo::localHostName().toUtf8().left(kMaxHostNameLength);

    const bool greeted = method == AUTH_NONE
                             ? ConnectSMTP(m_heloHostName)
                             : ConnectESMTP(m_heloHostName, userBytes, passwordBytes, method);
    if (!greeted) {
        Disconnect(true);
        OnError(QStringLiteral(
            "CTRVSMTPConnection::Connect, An unexpected HELO/EHLO response was received"));
        return false;
    }
    return true;
}

bool CTRVSMTPConnection::ConnectSMTP(const QByteArray& hostName) {
    if (refuseLineBreak("ConnectSMTP", "a HELO host name", hostName))
        return false;
    if (!send("HELO " + hostName + "\r\n")) {
        OnError(QStringLiteral("CTRVSMTPConnection::ConnectSMTP, An unexpected error occurred "
                               "while sending the HELO command"));
        return false;
    }
    return ReadCommandResponse(250);
}

bool CTRVSMTPConnection::ConnectESMTP(const QByteArray& hostName, const QByteArray& user,
                                      const QByteArray& password, int method) {
    if (refuseLineBreak("ConnectESMTP", "a HELO host name", hostName))
        return false;
    if (!send("EHLO " + hostName + "\r\n")) {
        OnError(QStringLiteral("CTRVSMTPConnection::ConnectESMTP, An unexpected error occurred "
                               "while sending the EHLO command"));
        return false;
    }
    if (!ReadCommandResponse(250)) {
        OnError(QStringLiteral("CTRVSMTPConnection::ConnectESMTP, An unexpected response was "
                               "received occurred while sending the EHLO command"));
        return false;
    }
    switch (method) {
    case AUTH_CRAM_MD5:
        return AuthCramMD5(user, password);
    case AUTH_LOGIN:
        return AuthLogin(user, password);
    case AUTH_PLAIN:
        return AuthPlain(user, password);
    default:
        return false;
    }
}

bool CTRVSMTPConnection::Disconnect(bool sendQuit) {
    if (!m_connected) {
        OnError(QStringLiteral("CTRVSMTPConnection::Disconnect, Already disconnected from SMTP "
                               "server, doing nothing"));
        return false;
    }
    bool quitAccepted = false;
    if (sendQuit && !m_replyTimedOut) {
        if (!send("QUIT\r\n"))
            OnError(withSystemError("CTRVSMTPConnection::Disconnect, Failed in call to send QUIT "
                                    "command, GetLastError returns: "));
        quitAccepted = ReadCommandResponse(221);
        if (!quitAccepted) {
            SetSMTPLastSystemError(kErrorUnexpectedReply);
            OnError(QStringLiteral(
                "CTRVSMTPConnection::Disconnect, An unexpected QUIT response was received"));
        }
    }
    m_connected = false;
    m_socket.Close();
    return quitAccepted;
}
