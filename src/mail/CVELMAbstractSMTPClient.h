#pragma once

#include <QString>
#include <QStringList>

// One e-mail job: who gets which text and files, and the server it goes through. Send() runs
// the whole dialogue and answers one of the result codes below; `error` then holds the text of
// the last failure where the code says so.
class CVELMAbstractSMTPClient {
public:
    // Results of Send().
    static constexpr int SEND_OK = 0;
    static constexpr int SEND_TRANSFER_FAILED = 1; // error: the connection's last error
    static constexpr int SEND_NO_SERVER = 3;
    static constexpr int SEND_NO_CONNECTION = 5; // error: the connection's last error
    static constexpr int SEND_ATTACHMENT_UNREADABLE = 6;
    static constexpr int SEND_NO_RECIPIENT = 7;

    static constexpr quint16 kDefaultPort = 25;
    static constexpr quint32 kDefaultTimeout = 60000;

    virtual ~CVELMAbstractSMTPClient() = default;

    virtual int Send() = 0;

    QStringList recipients; // each "Name <address>" or a bare address
    QString from;
    QString subject;
    QString body;
    QStringList attachments; // file paths
    QString login;           // empty: no authentication
    QString password;
    QString server;
    quint16 port = kDefaultPort;
    quint32 timeout = kDefaultTimeout; // milliseconds per awaited reply
    QString error;
};
