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

private:
    QString m_command;
};
