#pragma once

#include "VXNServiceFramework/http/HTTPParser.h"
#include "VXNServiceFramework/packets/SharedMemoryBudget.h"

#include <QByteArray>
#include <QString>

struct RequestReaderLimits {
    int maxHeaderBytes = 64 * 1024;
    qint64 maxBodyBytes = 64 * 1024 * 1024; // larger Content-Length values are bad requests
    // Shared by every connection: body bytes beyond the first `freeBodyBytes` of each request
    // are taken from it as they arrive, so that many large bodies at once cannot take all
    // memory. Small requests need nothing of it and pass even when it is used up.
    SharedMemoryBudget* bodyBudget = nullptr;
    qint64 freeBodyBytes = 64 * 1024;
};

// Assembles one request from the bytes of a connection as they arrive, in pieces of any size:
// the head through HTTPRequestParser, then exactly Content-Length bytes of body. Anything that
// makes the request unreadable ends in Bad (answered with 400), a body that does not fit the
// shared budget in Overloaded (answered with 503); bytes after the body are left.
class RequestReader {
public:
    enum class Status { NeedMore, Complete, Bad, Overloaded };

    using Limits = RequestReaderLimits;

    explicit RequestReader(const Limits& limits = {});

    // Consumes what it needs of `bytes`; the status after them. Once Complete or Bad, further
    // bytes are ignored.
    Status feed(const char* bytes, qsizetype size);
    Status status() const { return m_status; }

    // The target with every "/" removed. Valid once Complete.
    const QString& command() const { return m_command; }
    // Grows with the bytes received, never ahead of them: an announced length reserves nothing.
    const QByteArray& body() const { return m_body; }
    QByteArray takeBody() { return std::move(m_body); }
    // What the body holds of the shared budget; goes with the body to whoever serves it.
    MemoryShare takeShare() { return std::move(m_share); }
    // The announced body length, -1 while the head is incomplete.
    qint64 contentLength() const { return m_length; }

private:
    Status headComplete();
    bool bodyLengthIsUnambiguous() const;
    void appendBody(const char* bytes, qsizetype size);

    Limits m_limits;
    HTTPRequestParser m_parser;
    Status m_status = Status::NeedMore;
    qint64 m_length = -1;
    QString m_command;
    QByteArray m_body;
    MemoryShare m_share;
};
