#include "mail/CTRVSMTPSocket.h"

#include "mail/SMTPSystemError.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QTcpSocket>

#include <cerrno>

namespace {

// Qt reports socket failures as its own enum; the error texts carry the system's numbers.
int errnoFor(QAbstractSocket::SocketError error) {
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return ECONNREFUSED;
    case QAbstractSocket::RemoteHostClosedError:
        return ECONNRESET;
    case QAbstractSocket::HostNotFoundError:
        return CTRVSMTPSocket::kResolveFailed;
    case QAbstractSocket::SocketAccessError:
        return EACCES;
    case QAbstractSocket::SocketResourceError:
        return EMFILE;
    case QAbstractSocket::SocketTimeoutError:
        return ETIMEDOUT;
    case QAbstractSocket::NetworkError:
        return ENETUNREACH;
    case QAbstractSocket::AddressInUseError:
        return EADDRINUSE;
    case QAbstractSocket::SocketAddressNotAvailableError:
        return EADDRNOTAVAIL;
    case QAbstractSocket::UnsupportedSocketOperationError:
        return EAFNOSUPPORT;
    default:
        return EIO;
    }
}

bool resolveIPv4(const QString& host, QHostAddress& address) {
    if (address.setAddress(host) && address.protocol() == QAbstractSocket::IPv4Protocol)
        return true;
    const QHostInfo info = QHostInfo::fromName(host);
    for (const QHostAddress& candidate : info.addresses()) {
        if (candidate.protocol() == QAbstractSocket::IPv4Protocol) {
            address = candidate;
            return true;
        }
    }
    SetSMTPLastSystemError(CTRVSMTPSocket::kResolveFailed);
    return false;
}

} // namespace

CTRVSMTPSocket::CTRVSMTPSocket() = default;

CTRVSMTPSocket::~CTRVSMTPSocket() {
    Close();
}

bool CTRVSMTPSocket::Create() {
    Close();
    m_socket = std::make_unique<QTcpSocket>();
    return true;
}

void CTRVSMTPSocket::setErrorFromSocket() {
    SetSMTPLastSystemError(errnoFor(m_socket->error()));
}

bool CTRVSMTPSocket::Connect(const QString& host, quint16 port, const QString& localAddress,
                             int timeoutMs) {
    if (!m_socket) {
        SetSMTPLastSystemError(EBADF);
        return false;
    }
    if (!localAddress.isEmpty()) {
        QHostAddress local;
        if (!resolveIPv4(localAddress, local))
            return false;
        if (!m_socket->bind(local, 0)) {
            setErrorFromSocket();
            return false;
        }
    }
    QHostAddress remote;
    if (!resolveIPv4(host, remote))
        return false;
    m_socket->connectToHost(remote, port);
    if (!m_socket->waitForConnected(timeoutMs)) {
        setErrorFromSocket();
        m_socket->abort();
        return false;
    }
    return true;
}

bool CTRVSMTPSocket::Send(QByteArrayView data, int timeoutMs) {
    if (!m_socket || m_socket->state() != QAbstractSocket::ConnectedState) {
        SetSMTPLastSystemError(m_socket ? ENOTCONN : EBADF);
        return false;
    }
    if (m_socket->write(data.data(), data.size()) != data.size()) {
        setErrorFromSocket();
        return false;
    }
    while (m_socket->bytesToWrite() > 0) {
        if (!m_socket->waitForBytesWritten(timeoutMs)) {
            setErrorFromSocket();
            return false;
        }
    }
    return true;
}

CTRVSMTPSocket::WaitResult CTRVSMTPSocket::WaitReadable(int timeoutMs) {
    if (!m_socket) {
        SetSMTPLastSystemError(EBADF);
        return WaitResult::Failed;
    }
    // Qt may already hold received bytes in its own buffer.
    if (m_socket->bytesAvailable() > 0)
        return WaitResult::Readable;
    if (m_socket->waitForReadyRead(timeoutMs))
        return WaitResult::Readable;
    setErrorFromSocket();
    return m_socket->error() == QAbstractSocket::SocketTimeoutError ? WaitResult::TimedOut
                                                                    : WaitResult::Failed;
}

qint64 CTRVSMTPSocket::Receive(char* buffer, qint64 size) {
    if (!m_socket) {
        SetSMTPLastSystemError(EBADF);
        return -1;
    }
    const qint64 received = m_socket->read(buffer, size);
    if (received <= 0)
        setErrorFromSocket();
    return received;
}

void CTRVSMTPSocket::Close() {
    if (m_socket) {
        m_socket->abort();
        m_socket.reset();
    }
}
