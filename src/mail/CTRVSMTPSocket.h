#pragma once

#include <QByteArrayView>
#include <QString>

#include <memory>

class QTcpSocket;

// Blocking IPv4 TCP client socket for one SMTP session. Every call returns at once or after
// at most the time-out it is given; failures set the thread's last system error code
// (SMTPLastSystemError) to an errno value.
class CTRVSMTPSocket {
public:
    enum class WaitResult { Readable, TimedOut, Failed };

    CTRVSMTPSocket();
    ~CTRVSMTPSocket();
    CTRVSMTPSocket(const CTRVSMTPSocket&) = delete;
    CTRVSMTPSocket& operator=(const CTRVSMTPSocket&) = delete;

    bool Create();
    bool IsCreated() const { return m_socket != nullptr; }
    // Connects to host:port, first binding to localAddress (port 0) when it is not empty. A
    // dotted IPv4 text is used as it stands, anything else is resolved to its first IPv4
    // address; a name that does not resolve sets error code 10022.
    bool Connect(const QString& host, quint16 port, const QString& localAddress, int timeoutMs);
    // Sends the whole block, waiting at most timeoutMs for each stretch of progress.
    bool Send(QByteArrayView data, int timeoutMs);
    WaitResult WaitReadable(int timeoutMs);
    // Up to size bytes of what has arrived; 0 or less when the peer closed or the socket failed.
    qint64 Receive(char* buffer, qint64 size);
    void Close();

    static constexpr int kResolveFailed = 10022;

private:
    void setErrorFromSocket();

    std::unique_ptr<QTcpSocket> m_socket;
};
