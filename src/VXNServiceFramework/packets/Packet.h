#pragma once

#include <QByteArray>
#include <QString>

// A message that fills itself from an HTTP body and writes itself back. Whoever receives a
// packet from a constructor, a handler or the service client owns it (std::unique_ptr).
// Requests override command(); responses override setResult(), result() and details(); the
// base versions throw WrongPacketFormat with an empty message.
class Packet {
public:
    virtual ~Packet() = default;

    virtual void parse(const QByteArray& body) = 0;
    virtual void serialize(QByteArray& body) = 0;

    virtual QString command() const;
    virtual void setResult(int code, const QString& details);
    virtual int result() const;
    virtual QString details() const;

protected:
    Packet() = default;
    Packet(const Packet&) = default;
    Packet& operator=(const Packet&) = default;
};
