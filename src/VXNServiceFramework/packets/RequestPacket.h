#pragma once

#include "VXNServiceFramework/packets/PacketDOM.h"

// A DOM-family request: <VXNRequest command="..."> with the command's parameters as children.
// Command classes pass their command name to this constructor (see PacketDOM for parse and
// serialize).
class RequestPacket : public PacketDOM {
public:
    explicit RequestPacket(QString command = {}) : m_command(std::move(command)) {}

    QString command() const override { return m_command; }
    void buildDocument() override;

protected:
    // parse(), and WrongPacketFormat with the parser's reason when the body cannot be read as
    // XML at all (truncated, not XML): the peer hears "Wrong request format" rather than the
    // answer to a request that named nothing. A readable body without the command's elements
    // still reads them as empty.
    void parseReadable(const QByteArray& body);

private:
    QString m_command;
};
